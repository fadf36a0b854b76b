#include "platform/win32/termination.h"

#include <signal.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr unsigned lastChanceSeconds = 5;

volatile sig_atomic_t requested = 0;

// Only what is safe in a signal handler: the exit handlers may be what hangs.
void endNow(int) { _exit(1); }

void keepRequest(int) {
  if (requested != 0) return;
  requested = 1;
  struct sigaction end {};
  end.sa_handler = endNow;
  sigemptyset(&end.sa_mask);
  sigaction(SIGALRM, &end, nullptr);
  alarm(lastChanceSeconds);
}

}  // namespace

void catchTerminationRequests() {
  struct sigaction keep {};
  keep.sa_handler = keepRequest;
  sigemptyset(&keep.sa_mask);
  keep.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &keep, nullptr);
  sigaction(SIGINT, &keep, nullptr);
}

bool terminationRequested() { return requested != 0; }

bool takeTerminationRequest() {
  if (requested == 0) return false;
  requested = 0;
  return true;
}

}  // namespace platform
