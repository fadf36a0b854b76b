#include "platform/win32/sdl_video.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/win32/lost_display.h"
#include "platform/win32/termination.h"

namespace platform {
namespace {

std::atomic<bool> running{false};
std::thread::id videoThread;
std::atomic<Uint32> wakeType{0};

// SDL's drivers that show nothing ("evdev" is the dummy one with keyboard input).
bool isHeadlessDriver(const char* name) {
  return name != nullptr &&
         (std::strcmp(name, "dummy") == 0 || std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "evdev") == 0);
}

bool hasText(const char* value) { return value != nullptr && value[0] != '\0'; }

// A value from the environment as it can be shown on a terminal: control bytes escaped.
std::string printable(const char* value) {
  std::string out;
  for (const char* c = value; *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += *c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}

// A Wayland display is a socket in the file system: one that is not there cannot answer,
// and asking would only have libwayland complain on standard error.
bool waylandSocketExists(const char* name) {
  if (name[0] == '/') return access(name, F_OK) == 0;
  const char* folder = std::getenv("XDG_RUNTIME_DIR");
  return hasText(folder) && access((std::string(folder) + "/" + name).c_str(), F_OK) == 0;
}

// The video drivers to ask, unless SDL_VIDEODRIVER chose: those of the displays the
// environment names, else every one SDL has but the headless ones and those whose display
// is not there. SDL would otherwise try every driver, each with its own complaints.
std::string chosenDrivers() {
  if (hasText(std::getenv("SDL_VIDEODRIVER"))) return "";
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool named = hasText(std::getenv("DISPLAY")) || hasText(wayland);
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const std::string driver = SDL_GetVideoDriver(i);
    const bool asked = driver == "x11"       ? hasText(std::getenv("DISPLAY"))
                       : driver == "wayland" ? waylandSocketExists(hasText(wayland) ? wayland : "wayland-0")
                                             : !named && !isHeadlessDriver(driver.c_str());
    if (asked) drivers += (drivers.empty() ? "" : ",") + driver;
  }
  return drivers;
}

// Told once: the display the environment names cannot be used.
void tellUnusable(const std::string& why) {
  static std::atomic<bool> told{false};
  if (!told.exchange(true)) std::fprintf(stderr, "%s\n", why.c_str());
}

std::string namedDisplays() {
  std::string names;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (!hasText(value)) continue;
    if (!names.empty()) names += ", ";
    names += std::string(variable) + "=\"" + printable(value) + "\"";
  }
  return names;
}

// The depth of the X display SDL's video runs on, 0 where it cannot be told.
int xDisplayDepth() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.format != SDL_PIXELFORMAT_UNKNOWN) {
    return SDL_BITSPERPIXEL(mode.format);
  }
  // SDL knows no format of fewer than 15 bits (a colour-mapped display): ask the server.
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (x11 == nullptr) return 0;
  using Open = void* (*)(const char*);
  using Close = int (*)(void*);
  using Query = int (*)(void*, int);
  const auto open = reinterpret_cast<Open>(dlsym(x11, "XOpenDisplay"));
  const auto close = reinterpret_cast<Close>(dlsym(x11, "XCloseDisplay"));
  const auto defaultScreen = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XDefaultScreen"));
  const auto defaultDepth = reinterpret_cast<Query>(dlsym(x11, "XDefaultDepth"));
  int depth = 0;
  if (open != nullptr && close != nullptr && defaultScreen != nullptr && defaultDepth != nullptr) {
    if (void* display = open(nullptr)) {
      depth = defaultDepth(display, defaultScreen(display));
      close(display);
    }
  }
  dlclose(x11);
  return depth;
}

// Set once the named display proved unusable: later calls fail at once, without a word.
std::atomic<bool> unusable{false};

// Starts SDL video on a display a person could see, or on the headless driver asked for.
// Where no display exists SDL settles on its invisible off-screen driver: a full-screen
// game there would run unseen and never end. Only an explicit SDL_VIDEODRIVER (tests,
// tools) gets a headless driver; otherwise there is no video, and windows fail.
// A display named in the environment may refuse connections for a moment: an X server
// resets itself when its last client leaves, and SDL's own probe of the display can be
// that client. It is asked again, less and less often, for two seconds in all over the
// run; giving up at once would leave the program with no video for one call and video for
// the next (a window one pixel high). A display still closed then is told once on
// standard error, and so is one whose pixels the layer cannot draw (fewer than 15 bits).
bool initVideo() {
  if (unusable.load()) return false;
  const bool displayNamed = hasText(std::getenv("DISPLAY")) || hasText(std::getenv("WAYLAND_DISPLAY"));
  static const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  auto pause = std::chrono::milliseconds(20);
  for (;;) {
    // A display may come into being meanwhile: its drivers are asked for again each time.
    const std::string drivers = chosenDrivers();
    const bool chosen = hasText(std::getenv("SDL_VIDEODRIVER")) || !drivers.empty();
    if (!drivers.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    // Reference-counted: the audio side starts and stops its own subsystem independently.
    const bool started = chosen && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    const char* driver = started ? SDL_GetCurrentVideoDriver() : nullptr;
    if (started && (!isHeadlessDriver(driver) || hasText(std::getenv("SDL_VIDEODRIVER")))) {
      const int depth = driver != nullptr && std::strcmp(driver, "x11") == 0 ? xDisplayDepth() : 0;
      if (depth == 0 || depth >= 15) return true;
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      unusable.store(true);
      const char* x = std::getenv("DISPLAY");
      tellUnusable("The X display \"" + printable(hasText(x) ? x : "") + "\" has " + std::to_string(depth) +
                   " bits per pixel; pictures need 15 or more");
      return false;
    }
    if (started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    const auto now = std::chrono::steady_clock::now();
    if (terminationRequested()) return false;  // not a verdict on the display
    if (!displayNamed || now >= end) {
      if (displayNamed) {
        unusable.store(true);
        tellUnusable("No display could be opened: " + namedDisplays());
      }
      return false;
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, end - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(200));
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
  // A click that gives a window the focus is a click too, as on Windows: SDL would drop
  // one that comes within moments of the focus.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (!initVideo()) return false;
  // Typed text becomes WM_CHAR, in the keyboard's layout (key messages carry no characters).
  SDL_StartTextInput();
  // Without an event type of its own (all taken), waiters wake at the end of their bound.
  const Uint32 eventType = SDL_RegisterEvents(1);
  wakeType.store(eventType != static_cast<Uint32>(-1) ? eventType : 0);
  videoThread = std::this_thread::get_id();
  running.store(true);
  watchForLostDisplay();
  // Gives the display back (modes, windows) however the process ends through exit.
  static const bool registered = (std::atexit(stopVideo), true);
  (void)registered;
  return true;
}

bool videoRunning() { return running.load(); }

bool onVideoThread() { return running.load() && std::this_thread::get_id() == videoThread; }

bool displayAvailable() {
  if (running.load()) return !isHeadlessDriver(SDL_GetCurrentVideoDriver());
  if (unusable.load()) return false;
  if (isHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
  return hasText(std::getenv("DISPLAY")) || hasText(std::getenv("WAYLAND_DISPLAY"));
}

Uint32 wakeEventType() { return wakeType.load(); }

}  // namespace platform
