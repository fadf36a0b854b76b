#include "platform/directx/sdl_display.h"

#include <algorithm>

#include "platform/directx/window_manager.h"
#include "platform/win32/development_window.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {

void useWindowFramebuffer() { SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT); }

namespace {

// KESTRIX_WINDOW: an ordinary window, decorated, not on top, of the frame's size times the
// scale; not resizable, so that DirectDraw's pixels stay whole squares and Direct3D's
// stretch the one chosen. Placed in the middle of the screen when it is first shown.
void becomeDevelopmentWindow(SDL_Window* sdl, int scale) {
  const Uint32 flags = SDL_GetWindowFlags(sdl);
  if ((flags & SDL_WINDOW_FULLSCREEN) != 0) SDL_SetWindowFullscreen(sdl, 0);
  SDL_SetWindowAlwaysOnTop(sdl, SDL_FALSE);
  SDL_SetWindowResizable(sdl, SDL_FALSE);
  // On X11 SDL waits for a visible window to be mapped again: never while minimised.
  if ((flags & SDL_WINDOW_BORDERLESS) != 0 && (flags & SDL_WINDOW_MINIMIZED) == 0) {
    SDL_SetWindowBordered(sdl, SDL_TRUE);
  }
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(sdl, &width, &height);
  const bool resized =
      width != platform::windowedFrameWidth() * scale || height != platform::windowedFrameHeight() * scale;
  if (resized) SDL_SetWindowSize(sdl, platform::windowedFrameWidth() * scale, platform::windowedFrameHeight() * scale);
  // Shown again in the middle when first shown, or when the frame's size changed it.
  if ((flags & SDL_WINDOW_HIDDEN) != 0 || resized) {
    SDL_SetWindowPosition(sdl, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    // SDL makes the window again where it last saw it moved (as Direct3D's OpenGL renderer
    // has it do): the move's event from the display tells it.
    SDL_PumpEvents();
  }
}

}  // namespace

bool takeFullScreen(HWND window) {
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl == nullptr) return false;
  if (const int scale = platform::windowScale(); scale > 0) {
    becomeDevelopmentWindow(sdl, scale);
  } else if (bareX11(sdl)) {
    // Full screen is a window that covers the display; one made at another size (or one
    // pixel high, when the screen's size could not be read) is made to.
    SDL_Rect display{};
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(sdl, &x, &y);
    SDL_GetWindowSize(sdl, &width, &height);
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(sdl), 0), &display) == 0 &&
        (x != display.x || y != display.y || width != display.w || height != display.h)) {
      SDL_SetWindowPosition(sdl, display.x, display.y);
      SDL_SetWindowSize(sdl, display.w, display.h);
    }
  } else {
    SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  activateWindow(window);
  return true;
}

void frameSizeChosen(HWND window, int width, int height) {
  if (width == platform::windowedFrameWidth() && height == platform::windowedFrameHeight()) return;
  platform::setWindowedFrame(width, height);
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl == nullptr) return;
  if (const int scale = platform::windowScale(); scale > 0) becomeDevelopmentWindow(sdl, scale);
}

void leaveFullScreen(HWND window) {
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl != nullptr && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) SDL_SetWindowFullscreen(sdl, 0);
}

SDL_Renderer* makeRenderer(HWND window, bool vsync) {
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl == nullptr) return nullptr;
  useWindowFramebuffer();  // should SDL_RENDER_DRIVER choose the software renderer
  Uint32 flags = SDL_RENDERER_TARGETTEXTURE;
  if (vsync) flags |= SDL_RENDERER_PRESENTVSYNC;
  return SDL_CreateRenderer(sdl, -1, flags);
}

bool presentCentred(SDL_Renderer* renderer, SDL_Texture* picture, const SDL_Rect& where) {
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
  if (SDL_RenderClear(renderer) != 0) return false;  // the borders stay black
  if (picture != nullptr && SDL_RenderCopy(renderer, picture, nullptr, &where) != 0) return false;
  SDL_RenderPresent(renderer);
  return true;
}

bool rendersInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0) return false;
  if ((info.flags & SDL_RENDERER_SOFTWARE) != 0) return true;
  if (SDL_strncmp(info.name, "opengl", 6) != 0) return false;
  // An OpenGL renderer has made its context current on this thread.
  constexpr unsigned glRenderer = 0x1F01;  // GL_RENDERER
  using GetString = const unsigned char* (*)(unsigned);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (getString == nullptr || SDL_GL_GetCurrentContext() == nullptr) return false;
  const auto* name = reinterpret_cast<const char*>(getString(glRenderer));
  if (name == nullptr) return false;
  for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "GDI Generic", "SwiftShader"}) {
    if (SDL_strstr(name, software) != nullptr) return true;
  }
  return false;
}

}  // namespace platform::directx
