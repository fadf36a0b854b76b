// What still ends the process while a modal box waits for its answer. The box runs an
// event loop of its own, so a termination request never becomes the quit message the
// program would act on, and a lost display would take the normal exit, whose clean-up
// talks to the dead display for ever. While a BoxExits lives, SIGTERM, SIGINT and the
// loss of the X connection end the process at once with exit code 1. The box may be shown
// by a child process (SDL's X11 box is): a child forked while a BoxExits lives is killed
// when the process ends, however it ends.
#pragma once

#include <signal.h>
#include <sys/types.h>

namespace platform {

class BoxExits {
 public:
  BoxExits();
  ~BoxExits();  // puts back what was there before
  BoxExits(const BoxExits&) = delete;
  BoxExits& operator=(const BoxExits&) = delete;

  using IoErrorHandler = int (*)(void* display);  // Xlib's XIOErrorHandler

 private:
  struct sigaction previousTerm_ {};
  struct sigaction previousInt_ {};
  IoErrorHandler (*setIoErrorHandler_)(IoErrorHandler) = nullptr;
  IoErrorHandler previousIoError_ = nullptr;
  pid_t previousBoxOwner_ = 0;
};

}  // namespace platform
