#include "platform/win32/sdl_video.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace platform {
namespace {

std::atomic<bool> running{false};
std::thread::id videoThread;
std::atomic<Uint32> wakeType{0};

bool isHeadlessDriver(const char* name) {
  return name != nullptr && (std::strcmp(name, "dummy") == 0 || std::strcmp(name, "offscreen") == 0);
}

bool hasText(const char* value) { return value != nullptr && value[0] != '\0'; }

// Starts SDL video on a display a person could see, or on the headless driver asked for.
// Where no display exists SDL settles on its invisible off-screen driver: a full-screen
// game there would run unseen and never end. Only an explicit SDL_VIDEODRIVER (tests,
// tools) gets a headless driver; otherwise there is no video, and windows fail.
// A display named in the environment may refuse connections for a moment: an X server
// resets itself when its last client leaves, and SDL's own probe of the display can be
// that client. It is asked again for up to two seconds; giving up at once would leave the
// program with no video for one call and video for the next (a window one pixel high).
bool initVideo() {
  const bool displayNamed = hasText(std::getenv("DISPLAY")) || hasText(std::getenv("WAYLAND_DISPLAY"));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    // Reference-counted: the audio side starts and stops its own subsystem independently.
    const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (started && (!isHeadlessDriver(SDL_GetCurrentVideoDriver()) || hasText(std::getenv("SDL_VIDEODRIVER")))) {
      return true;
    }
    if (started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!displayNamed || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void stopVideo() {
  if (running.exchange(false)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

bool startVideo() {
  if (running.load()) return true;
  // A window closed by its button is the program's business (WM_CLOSE), not a quit request.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (!initVideo()) return false;
  // Keys arrive as key messages; text input would only add IME work nobody reads.
  SDL_StopTextInput();
  // Without an event type of its own (all taken), waiters wake at the end of their bound.
  const Uint32 eventType = SDL_RegisterEvents(1);
  wakeType.store(eventType != static_cast<Uint32>(-1) ? eventType : 0);
  videoThread = std::this_thread::get_id();
  running.store(true);
  // Gives the display back (modes, windows) however the process ends through exit.
  static const bool registered = (std::atexit(stopVideo), true);
  (void)registered;
  return true;
}

bool videoRunning() { return running.load(); }

bool onVideoThread() { return running.load() && std::this_thread::get_id() == videoThread; }

bool displayAvailable() {
  if (running.load()) return !isHeadlessDriver(SDL_GetCurrentVideoDriver());
  if (isHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
  return hasText(std::getenv("DISPLAY")) || hasText(std::getenv("WAYLAND_DISPLAY"));
}

Uint32 wakeEventType() { return wakeType.load(); }

}  // namespace platform
