#include "platform/win32/sdl_video.h"

#include <atomic>
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

void stopVideo() {
  if (running.exchange(false)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

bool startVideo() {
  if (running.load()) return true;
  // A window closed by its button is the program's business (WM_CLOSE), not a quit request.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Reference-counted: the audio side starts and stops its own subsystem independently.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // Where no display exists SDL settles on its invisible off-screen driver: a full-screen
  // game there would run unseen and never end. Only an explicit SDL_VIDEODRIVER (tests,
  // tools) gets a headless driver; otherwise there is no video, and windows fail.
  if (isHeadlessDriver(SDL_GetCurrentVideoDriver()) && !hasText(std::getenv("SDL_VIDEODRIVER"))) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
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
