#include "platform/win32/lost_display.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

#include "platform/stats/run_stats.h"

namespace platform {
namespace {

// Called by Xlib, not in a signal handler, on the thread that met the loss: what touches no
// display is safe here. Nothing may go on to the exit handlers.
int lostDisplay(void*) {
  std::fputs("The connection to the display was lost\n", stderr);
  stats::writeNow();
  _exit(1);
}

}  // namespace

void watchForLostDisplay() {
  using Handler = int (*)(void*);
  using SetHandler = Handler (*)(Handler);
  // Only a libX11 already loaded (by SDL's X11 video): otherwise there is no connection.
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (x11 == nullptr) return;
  if (const auto set = reinterpret_cast<SetHandler>(dlsym(x11, "XSetIOErrorHandler"))) set(lostDisplay);
  dlclose(x11);
}

}  // namespace platform
