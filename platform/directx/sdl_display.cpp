#include "platform/directx/sdl_display.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/directx/window_manager.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {

namespace {

// A software renderer draws into the window's own framebuffer, not into one SDL would back
// with an OpenGL context: that costs a quarter of a second to set up on a software OpenGL
// and buys a 2D copy nothing. SDL_FRAMEBUFFER_ACCELERATION in the environment still wins.
void useWindowFramebuffer() { SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT); }

}  // namespace

bool takeFullScreen(HWND window) {
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl == nullptr) return false;
  if (!bareX11(sdl)) SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
  activateWindow(window);
  return true;
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

SDL_Renderer* makeSoftwareRenderer(HWND window) {
  SDL_Window* sdl = sdlWindowOf(window);
  if (sdl == nullptr) return nullptr;
  useWindowFramebuffer();
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && SDL_strcmp(info.name, "software") == 0) {
      return SDL_CreateRenderer(sdl, i, 0);
    }
  }
  return SDL_CreateRenderer(sdl, -1, 0);
}

void RefreshPacer::start(HWND window) {
  // A display that is not there (SDL's dummy and off-screen drivers) has no refresh to wait for.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && (SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "offscreen") == 0)) {
    periodNs_ = 0;
    return;
  }
  int hz = 0;
  if (SDL_Window* sdl = sdlWindowOf(window)) {
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(sdl, &mode) == 0) hz = mode.refresh_rate;
  }
  periodNs_ = 1'000'000'000 / (hz > 0 ? hz : 60);
  originNs_ = nowNs();
}

void RefreshPacer::waitForRefresh() {
  if (periodNs_ == 0) return;
  // Waits for the next refresh boundary after the last one shown: a flip that comes late
  // waits for the following one, as a flip waiting for the vertical blank does.
  const std::int64_t now = nowNs();
  std::int64_t next = originNs_ + ((now - originNs_) / periodNs_ + 1) * periodNs_;
  if (next <= lastNs_) next = lastNs_ + periodNs_;
  std::this_thread::sleep_until(std::chrono::steady_clock::time_point(std::chrono::nanoseconds(next)));
  lastNs_ = next;
}

std::int64_t RefreshPacer::nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
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
