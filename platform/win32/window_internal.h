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

// What a full-screen take-over shows in the window: a picture of its own size (a display
// mode, a device's back buffer), centred at the largest whole factor or as large as fits
// keeping its aspect. The pointer's client coordinates are then the picture's, as they are
// in the mode on Windows.
enum class Placement { wholeFactor, keepingAspect };
struct ShownPicture {
  int width = 0;  // 0: nothing shown; the client area is the window itself
  int height = 0;
  Placement placement = Placement::wholeFactor;
};
// What a live window shows from now on; ShownPicture{} when the take-over ends.
void setShownPicture(HWND window, const ShownPicture& picture);

// Listeners are called in the order added; the id removes one again.
int addWindowListener(WindowListener listener);
void removeWindowListener(int id);

}  // namespace platform
