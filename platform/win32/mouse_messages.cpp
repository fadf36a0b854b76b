#include "platform/win32/mouse_messages.h"

#include <mmsystem.h>

namespace platform {
namespace {

WPARAM buttonsHeld = 0;  // MK_ flags of the buttons seen going down and not yet up; video thread

WPARAM buttonFlag(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    default: return 0;
  }
}

UINT buttonMessage(WPARAM flag, bool down) {
  if (flag == MK_LBUTTON) return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  if (flag == MK_RBUTTON) return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
  return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
}

WPARAM keyFlags() {
  const SDL_Keymod mod = SDL_GetModState();
  return ((mod & KMOD_SHIFT) != 0 ? MK_SHIFT : 0) | ((mod & KMOD_CTRL) != 0 ? MK_CONTROL : 0);
}

LPARAM pointParam(POINT point) { return MAKELPARAM(static_cast<SHORT>(point.x), static_cast<SHORT>(point.y)); }

}  // namespace

POINT clientPointIn(const WindowRecord& window, int x, int y) {
  int width = 0;
  int height = 0;
  if (window.sdl != nullptr) SDL_GetWindowSize(window.sdl, &width, &height);
  return clientPointOf(window.shown, width, height, x, y);
}

bool mouseMessageOf(const SDL_Event& event, const WindowRecord& window, MSG& out) {
  out = MSG{};
  out.hwnd = window.handle;
  out.time = timeGetTime();
  switch (event.type) {
    case SDL_MOUSEMOTION:
      out.message = WM_MOUSEMOVE;
      out.lParam = pointParam(clientPointIn(window, event.motion.x, event.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const WPARAM flag = buttonFlag(event.button.button);
      if (flag == 0) return false;
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      buttonsHeld = down ? buttonsHeld | flag : buttonsHeld & ~flag;
      out.message = buttonMessage(flag, down);
      out.lParam = pointParam(clientPointIn(window, event.button.x, event.button.y));
      break;
    }
    case SDL_MOUSEWHEEL: {
      const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      if (notches == 0) return false;
      out.message = WM_MOUSEWHEEL;
      POINT point = clientPointIn(window, event.wheel.mouseX, event.wheel.mouseY);
      if (window.shown.width == 0 && window.sdl != nullptr) {
        int left = 0;
        int top = 0;
        SDL_GetWindowPosition(window.sdl, &left, &top);
        point = POINT{point.x + left, point.y + top};
      }
      out.wParam = MAKEWPARAM(buttonsHeld | keyFlags(), static_cast<SHORT>(notches * WHEEL_DELTA));
      out.lParam = pointParam(point);
      return true;
    }
    default:
      return false;
  }
  out.wParam = buttonsHeld | keyFlags();
  return true;
}

}  // namespace platform
