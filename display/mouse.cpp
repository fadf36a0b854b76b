#include "display/mouse.h"

#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

#include "display/display.h"

namespace {

// Atomics used with relaxed order, like the key table: each field stands alone.
std::atomic<int> pointerX{0};
std::atomic<int> pointerY{0};
std::atomic<int> buttonsHeld{0};
std::atomic<int> wheelTurned{0};  // in WHEEL_DELTA parts, so that fine turns add up to notches

// Direct3D's quad (±1 at depth 1.15, seen from −1.25 through a 45° field) reaches a little
// beyond its device: ±cot(22.5°) / 2.4 of it.
const double quadReach = 1 / std::tan(std::numbers::pi / 8) / 2.4;

// The frame pixel under a client coordinate. The client area is what the back-end shows:
// DirectDraw's mode of the frame's size, or Direct3D's device, each of whose pixels shows
// the frame where the quad is at the pixel's top-left corner.
int framePixel(int client, int shown, int frame, bool direct3D) {
  if (frame <= 0) return 0;
  long long pixel = client;
  if (shown > 0 && direct3D) {
    pixel = static_cast<long long>(std::floor(((2.0 * client / shown - 1) / quadReach + 1) / 2 * frame));
  } else if (shown > 0) {
    pixel = static_cast<long long>(client) * frame / shown;
  }
  return static_cast<int>(std::clamp<long long>(pixel, 0, frame - 1));
}

}  // namespace

MouseState readMouse() {
  int turned = wheelTurned.load(std::memory_order_relaxed);
  // Whole notches are taken; a part of one waits for the rest.
  while (!wheelTurned.compare_exchange_weak(turned, turned % WHEEL_DELTA, std::memory_order_relaxed)) {
  }
  return MouseState{pointerX.load(std::memory_order_relaxed), pointerY.load(std::memory_order_relaxed),
                    buttonsHeld.load(std::memory_order_relaxed), turned / WHEEL_DELTA};
}

void trackMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEWHEEL:
      wheelTurned.fetch_add(GET_WHEEL_DELTA_WPARAM(wParam), std::memory_order_relaxed);
      break;  // its point is on the screen, and the buttons are in its low word as below
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
      const bool direct3D = displaySettings.backend == backendDirect3D;
      const int shownWidth = direct3D ? displaySettings.deviceWidth : displaySettings.frameWidth;
      const int shownHeight = direct3D ? displaySettings.deviceHeight : displaySettings.frameHeight;
      pointerX.store(framePixel(GET_X_LPARAM(lParam), shownWidth, displaySettings.frameWidth, direct3D),
                     std::memory_order_relaxed);
      pointerY.store(framePixel(GET_Y_LPARAM(lParam), shownHeight, displaySettings.frameHeight, direct3D),
                     std::memory_order_relaxed);
      break;
    }
    default:
      return;
  }
  const WPARAM keys = GET_KEYSTATE_WPARAM(wParam);
  buttonsHeld.store(((keys & MK_LBUTTON) != 0 ? 1 : 0) | ((keys & MK_RBUTTON) != 0 ? 2 : 0) |
                        ((keys & MK_MBUTTON) != 0 ? 4 : 0),
                    std::memory_order_relaxed);
}
