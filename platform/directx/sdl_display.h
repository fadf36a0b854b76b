// What the DirectDraw display and the Direct3D device share on SDL: taking a window over
// full screen, the renderer that draws on it, and where a picture goes on the screen.
#pragma once

#include <SDL.h>
#include <windows.h>

#include <cstdint>

namespace platform::directx {

// Makes a live window cover the screen (SDL's desktop full screen) and activates it, as a
// full-screen take-over does. False when the handle names no live window.
bool takeFullScreen(HWND window);
// Gives the screen back, when the window still exists.
void leaveFullScreen(HWND window);

// A renderer on the window with SDL's default driver (SDL_RENDER_DRIVER chooses another),
// able to draw into textures. With vsync, presents keep step with the display's refresh.
SDL_Renderer* makeRenderer(HWND window, bool vsync);

// A software renderer on the window's framebuffer, for a display that only copies
// pictures; presents do not wait for the refresh (RefreshPacer does that).
SDL_Renderer* makeSoftwareRenderer(HWND window);

// Keeps presents in step with the display's refresh (60 Hz where SDL does not know it),
// for renderers that cannot wait for it themselves. No wait without a real display.
class RefreshPacer {
 public:
  void start(HWND window);
  // Returns at the next refresh after the previous call's.
  void waitForRefresh();

 private:
  static std::int64_t nowNs();
  std::int64_t periodNs_ = 0;
  std::int64_t originNs_ = 0;
  std::int64_t lastNs_ = 0;
};

// A picture of width × height on an output of outputWidth × outputHeight, centred: scaled
// by the largest whole factor that fits (at least 1), or as large as fits keeping its
// aspect.
SDL_Rect placeByWholeFactor(int outputWidth, int outputHeight, int width, int height);
SDL_Rect placeKeepingAspect(int outputWidth, int outputHeight, int width, int height);

// Clears the renderer's output to black, draws the texture at the rectangle and presents.
void presentCentred(SDL_Renderer* renderer, SDL_Texture* picture, const SDL_Rect& where);

}  // namespace platform::directx
