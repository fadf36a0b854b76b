#include "platform/directx/window_screen.h"

#include "platform/directx/sdl_display.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {
namespace {

bool holdsRgb(const SDL_Surface& surface) {
  const SDL_PixelFormat& f = *surface.format;
  return f.BytesPerPixel == 4 && f.Rmask == 0x00FF0000 && f.Gmask == 0x0000FF00 && f.Bmask == 0x000000FF &&
         surface.pitch % 4 == 0;
}

}  // namespace

bool WindowScreen::open(HWND window, bool paced) {
  close();
  window_ = sdlWindowOf(window);
  if (window_ == nullptr) return false;
  useWindowFramebuffer();
  paced_ = paced;
  pacer_.start(window);
  return true;
}

void WindowScreen::close() {
  if (staging_ != nullptr) SDL_FreeSurface(staging_);
  staging_ = nullptr;
  surface_ = nullptr;
  pixels_ = nullptr;
  plane_ = PixelPlane{};
  window_ = nullptr;
  shownNs_ = 0;
}

const PixelPlane* WindowScreen::frame(bool* renewed) {
  if (renewed != nullptr) *renewed = false;
  if (window_ == nullptr) return nullptr;
  // SDL makes a new surface when the window's size changes; the old one is freed.
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr) {
    surface_ = nullptr;
    return nullptr;
  }
  const bool same = surface == surface_ && surface->pixels == pixels_ && surface->w == plane_.width &&
                    surface->h == plane_.height;
  if (!same) {
    if (staging_ != nullptr) SDL_FreeSurface(staging_);
    staging_ = nullptr;
    SDL_Surface* drawn = surface;
    if (!holdsRgb(*surface)) {
      staging_ = SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888);
      if (staging_ == nullptr) {
        surface_ = nullptr;
        return nullptr;
      }
      drawn = staging_;
    }
    SDL_FillRect(drawn, nullptr, 0);
    surface_ = surface;
    pixels_ = surface->pixels;
    plane_ = PixelPlane{static_cast<std::uint32_t*>(drawn->pixels), drawn->w, drawn->h, drawn->pitch / 4};
    if (renewed != nullptr) *renewed = true;
  }
  return &plane_;
}

bool WindowScreen::show(bool wait) {
  if (surface_ == nullptr) return false;
  const bool paced = paced_ && wait;
  if (paced) pacer_.waitForRefresh();
  bool shown = staging_ == nullptr || SDL_BlitSurface(staging_, nullptr, surface_, nullptr) == 0;
  shown = shown && SDL_UpdateWindowSurface(window_) == 0;
  shownNs_ = FramePacer::nowNs();
  if (paced) pacer_.holdUntilNextPicture();
  return shown;
}

}  // namespace platform::directx
