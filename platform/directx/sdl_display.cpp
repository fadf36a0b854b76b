#include "platform/directx/sdl_display.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/window_internal.h"

namespace platform::directx {

bool takeFullScreen(HWND window) {
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl == nullptr) return false;
  SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
  activateWindow(window);
  return true;
}

void leaveFullScreen(HWND window) {
  if (SDL_Window* sdl = sdlWindowOf(window)) SDL_SetWindowFullscreen(sdl, 0);
}

SDL_Renderer* makeRenderer(HWND window, bool vsync) {
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl == nullptr) return nullptr;
  Uint32 flags = SDL_RENDERER_TARGETTEXTURE;
  if (vsync) flags |= SDL_RENDERER_PRESENTVSYNC;
  return SDL_CreateRenderer(sdl, -1, flags);
}

SDL_Rect placeByWholeFactor(int outputWidth, int outputHeight, int width, int height) {
  if (width <= 0 || height <= 0) return SDL_Rect{0, 0, 0, 0};
  const int factor = std::min(outputWidth / width, outputHeight / height);
  if (factor < 1) return placeKeepingAspect(outputWidth, outputHeight, width, height);
  const int w = width * factor;
  const int h = height * factor;
  return SDL_Rect{(outputWidth - w) / 2, (outputHeight - h) / 2, w, h};
}

SDL_Rect placeKeepingAspect(int outputWidth, int outputHeight, int width, int height) {
  if (width <= 0 || height <= 0) return SDL_Rect{0, 0, 0, 0};
  const double scale = std::min(static_cast<double>(outputWidth) / width, static_cast<double>(outputHeight) / height);
  const int w = static_cast<int>(std::lround(width * scale));
  const int h = static_cast<int>(std::lround(height * scale));
  return SDL_Rect{(outputWidth - w) / 2, (outputHeight - h) / 2, w, h};
}

void presentCentred(SDL_Renderer* renderer, SDL_Texture* picture, const SDL_Rect& where) {
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
  SDL_RenderClear(renderer);  // the borders stay black
  if (picture != nullptr) SDL_RenderCopy(renderer, picture, nullptr, &where);
  SDL_RenderPresent(renderer);
}

}  // namespace platform::directx
