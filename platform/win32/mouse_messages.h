// Pointer translation: SDL's mouse events to the mouse messages Windows posts, with the
// buttons held (and Shift and Control) as MK_ flags in wParam and the pointer's point,
// through the window's client area, in lParam.
#pragma once

#include <windows.h>

#include <SDL.h>

#include "platform/win32/window_table.h"

namespace platform {

// WM_MOUSEMOVE, WM_L/R/MBUTTONDOWN/UP or WM_MOUSEWHEEL for an event in the window. Button
// messages carry the state after the change, as on Windows; the wheel's turn is in multiples
// of WHEEL_DELTA, its point in screen coordinates (a window that shows a full-screen
// picture is the screen). False, and nothing to post, for other buttons and events and for
// a wheel turned only sideways.
bool mouseMessageOf(const SDL_Event& event, const WindowRecord& window, MSG& out);

// The client point under a point of the window's SDL window.
POINT clientPointIn(const WindowRecord& window, int x, int y);

}  // namespace platform
