// For the rest of platform/ (the DirectDraw and Direct3D layer): the SDL window behind an
// HWND, activation as a full-screen take-over does it, and news of minimise, restore and
// destruction. Everything here runs on the thread that owns the windows.
#pragma once

#include <windows.h>

#include <functional>

struct SDL_Window;

namespace platform {

// The SDL window of a live window, or null.
SDL_Window* sdlWindowOf(HWND window);

// Shows, raises and activates the window, sending it WM_ACTIVATE(WA_ACTIVE) unless it is
// already the active window; restores it first when it is minimised.
void activateWindow(HWND window);

enum class WindowChange {
  minimized,   // before WM_ACTIVATE with the minimised state is sent
  restored,    // before WM_ACTIVATE(WA_ACTIVE) is sent
  destroying,  // before WM_DESTROY, while the SDL window still exists
};
using WindowListener = std::function<void(HWND window, WindowChange change)>;

// Listeners are called in the order added; the id removes one again.
int addWindowListener(WindowListener listener);
void removeWindowListener(int id);

}  // namespace platform
