#include "platform/win32/box_exits.h"

#include <dlfcn.h>
#include <unistd.h>

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

}  // namespace

BoxExits::BoxExits() {
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
  if (setIoErrorHandler_ != nullptr) setIoErrorHandler_(previousIoError_);
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
}

}  // namespace platform
