#include "platform/win32/box_exits.h"

#include <dlfcn.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>

namespace platform {
namespace {

// Nothing of the program may run here: not the exit handlers, which would shut the
// display down through a connection that is gone (Xlib then loops without end), nor
// anything that is not safe in a signal handler.
void endAtOnce(int) { _exit(1); }

int lostDisplay(void*) { _exit(1); }

// Xlib's XSetIOErrorHandler, from the libX11 that SDL loads for its box; null where there
// is none (no X11, or a build without it), and then only the signals are handled.
using SetIoErrorHandler = BoxExits::IoErrorHandler (*)(BoxExits::IoErrorHandler);

SetIoErrorHandler findSetIoErrorHandler() {
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  return x11 != nullptr ? reinterpret_cast<SetIoErrorHandler>(dlsym(x11, "XSetIOErrorHandler")) : nullptr;
}

// The process showing a box, 0 while none is shown.
std::atomic<pid_t> boxOwner{0};

// In a child forked while a box is up. The kernel kills it when the thread that forked it
// ends, and so with the process; a parent that ended before the wish was made is seen as
// a changed parent.
void childOfABox() {
  const pid_t owner = boxOwner.load();
  if (owner == 0) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != owner) _exit(1);
}

}  // namespace

BoxExits::BoxExits() {
  static const bool watchingForks = pthread_atfork(nullptr, nullptr, childOfABox) == 0;
  (void)watchingForks;
  previousBoxOwner_ = boxOwner.exchange(getpid());
  struct sigaction end {};
  end.sa_handler = endAtOnce;
  sigemptyset(&end.sa_mask);
  sigaction(SIGTERM, &end, &previousTerm_);
  sigaction(SIGINT, &end, &previousInt_);
  static const SetIoErrorHandler setIoErrorHandler = findSetIoErrorHandler();
  setIoErrorHandler_ = setIoErrorHandler;
  if (setIoErrorHandler_ != nullptr) previousIoError_ = setIoErrorHandler_(lostDisplay);
}

BoxExits::~BoxExits() {
  boxOwner.store(previousBoxOwner_);
  if (setIoErrorHandler_ != nullptr) setIoErrorHandler_(previousIoError_);
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
}

}  // namespace platform
