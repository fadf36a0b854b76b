#include "platform/testing/synthetic_events.h"

#include <SDL.h>

#include "platform/win32/message_queue.h"
#include "platform/win32/sdl_video.h"
#include "platform/win32/window_internal.h"

namespace synthetic {
namespace {

Uint32 sdlIdOf(HWND window) {
  SDL_Window* sdl = platform::sdlWindowOf(window);
  return sdl != nullptr ? SDL_GetWindowID(sdl) : 0;
}

Uint16 sdlModifiers(unsigned modifiers) {
  Uint16 mod = KMOD_NONE;
  if ((modifiers & alt) != 0) mod |= KMOD_LALT;
  if ((modifiers & shift) != 0) mod |= KMOD_LSHIFT;
  if ((modifiers & control) != 0) mod |= KMOD_LCTRL;
  return mod;
}

bool push(SDL_Event& event) {
  if (!platform::videoRunning()) return false;
  event.common.timestamp = SDL_GetTicks();
  return SDL_PushEvent(&event) == 1;
}

}  // namespace

bool pushKey(HWND window, const char* keyName, bool down, unsigned modifiers, bool repeat) {
  const SDL_Scancode scancode = SDL_GetScancodeFromName(keyName);
  if (scancode == SDL_SCANCODE_UNKNOWN) return false;
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = sdlIdOf(window);
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
  event.key.keysym.mod = sdlModifiers(modifiers);
  return push(event);
}

bool pushWindowEvent(HWND window, WindowEvent kind) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = sdlIdOf(window);
  switch (kind) {
    case WindowEvent::close: event.window.event = SDL_WINDOWEVENT_CLOSE; break;
    case WindowEvent::minimized: event.window.event = SDL_WINDOWEVENT_MINIMIZED; break;
    case WindowEvent::restored: event.window.event = SDL_WINDOWEVENT_RESTORED; break;
    case WindowEvent::focusGained: event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED; break;
    case WindowEvent::focusLost: event.window.event = SDL_WINDOWEVENT_FOCUS_LOST; break;
    case WindowEvent::enter: event.window.event = SDL_WINDOWEVENT_ENTER; break;
  }
  return push(event);
}

bool pushMouseMotion(HWND window, int x, int y) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = sdlIdOf(window);
  event.motion.x = x;
  event.motion.y = y;
  return push(event);
}

bool pushMouseButton(HWND window, int button, bool down, int x, int y) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = sdlIdOf(window);
  event.button.button = static_cast<Uint8>(button);
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.x = x;
  event.button.y = y;
  return push(event);
}

bool pushWheel(HWND window, int notches, int x, int y, bool flipped) {
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.windowID = sdlIdOf(window);
  event.wheel.y = flipped ? -notches : notches;
  event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  event.wheel.mouseX = x;
  event.wheel.mouseY = y;
  return push(event);
}

bool pushText(HWND window, const char* utf8) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  event.text.windowID = sdlIdOf(window);
  SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
  return push(event);
}

bool pushResize(HWND window, int width, int height) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = sdlIdOf(window);
  event.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
  event.window.data1 = width;
  event.window.data2 = height;
  return push(event);
}

void holdModifiers(unsigned modifiers) {
  if (platform::videoRunning()) SDL_SetModState(static_cast<SDL_Keymod>(sdlModifiers(modifiers)));
}

bool pushQuit() {
  SDL_Event event{};
  event.type = SDL_QUIT;
  return push(event);
}

void refuseUserEvents(bool on) {
  if (on) {
    SDL_SetEventFilter([](void*, SDL_Event* event) { return event->type >= SDL_USEREVENT ? 0 : 1; }, nullptr);
    return;
  }
  SDL_SetEventFilter(nullptr, nullptr);
  SDL_Event wake{};
  wake.type = SDL_USEREVENT;
  SDL_PushEvent(&wake);
}

bool windowsThreadWaits() { return platform::inSdlWait(); }

const char* videoDriver() {
  if (!platform::videoRunning()) return "";
  const char* name = SDL_GetCurrentVideoDriver();
  return name != nullptr ? name : "";
}

}  // namespace synthetic
