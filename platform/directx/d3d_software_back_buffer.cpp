#include "platform/directx/d3d_software_back_buffer.h"

#include <cstring>

#include "platform/directx/d3d_texture.h"
#include "platform/directx/screen_capture.h"
#include "platform/directx/sdl_display.h"
#include "platform/directx/upright_quad.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {
namespace {

int windowSize(HWND window, bool wide) {
  int width = 0;
  int height = 0;
  if (SDL_Window* sdl = sdlWindowOf(window)) SDL_GetWindowSize(sdl, &width, &height);
  return wide ? width : height;
}

PixelPlane planeOf(SDL_Surface& surface) {
  return PixelPlane{static_cast<std::uint32_t*>(surface.pixels), surface.w, surface.h, surface.pitch / 4};
}

}  // namespace

SoftwareBackBuffer::SoftwareBackBuffer(HWND window, int width, int height, bool paced,
                                       const std::vector<Texture*>& textures)
    : BackBuffer(width > 0 ? width : windowSize(window, true), height > 0 ? height : windowSize(window, false)),
      window_(window),
      paced_(paced),
      textures_(textures) {}

SoftwareBackBuffer::~SoftwareBackBuffer() {
  dropRenderer();
  if (captured_ != nullptr) SDL_FreeSurface(captured_);
}

bool SoftwareBackBuffer::open() {
  if (width() <= 0 || height() <= 0 || !screen_.open(window_, paced_)) return false;
  return screen_.frame() != nullptr;
}

bool SoftwareBackBuffer::beginFrame() {
  if (inFrame_) return true;
  PixelPlane target;
  bool renewed = false;
  if (screenCaptureOn()) {
    if (captured_ == nullptr) {
      captured_ = SDL_CreateRGBSurfaceWithFormat(0, width(), height(), 32, SDL_PIXELFORMAT_RGB888);
      if (captured_ == nullptr) return false;
      SDL_FillRect(captured_, nullptr, 0);
    }
    target = planeOf(*captured_);
    area_ = SDL_Rect{0, 0, width(), height()};
    capturing_ = true;
  } else {
    capturing_ = false;
    const PixelPlane* frame = screen_.frame(&renewed);
    if (frame == nullptr) return false;
    target = *frame;
    area_ = placeKeepingAspect(frame->width, frame->height, width(), height());
  }
  // The renderer draws on one target; another (or a new one of the window's) needs another.
  if (renewed || target.pixels != target_.pixels || target.width != target_.width ||
      target.height != target_.height) {
    dropRenderer();
  }
  target_ = target;
  inFrame_ = true;
  return true;
}

SDL_Renderer* SoftwareBackBuffer::renderer() {
  if (renderer_ == nullptr) {
    rendererSurface_ = SDL_CreateRGBSurfaceWithFormatFrom(target_.pixels, target_.width, target_.height, 32,
                                                          target_.pitch * 4, SDL_PIXELFORMAT_RGB888);
    if (rendererSurface_ != nullptr) renderer_ = SDL_CreateSoftwareRenderer(rendererSurface_);
    // Without a renderer the surface is made anew at the next draw: free this one now.
    if (renderer_ == nullptr) dropRenderer();
  }
  return renderer_;
}

void SoftwareBackBuffer::dropRenderer() {
  for (Texture* texture : textures_) texture->dropSdlTexture();
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (rendererSurface_ != nullptr) SDL_FreeSurface(rendererSurface_);
  renderer_ = nullptr;
  rendererSurface_ = nullptr;
}

SDL_FPoint SoftwareBackBuffer::onTarget(const SDL_FPoint& point) const {
  return SDL_FPoint{area_.x + point.x * static_cast<float>(area_.w) / static_cast<float>(width()),
                    area_.y + point.y * static_cast<float>(area_.h) / static_cast<float>(height())};
}

HRESULT SoftwareBackBuffer::draw(const std::vector<SDL_Vertex>& triangles, Texture* texture, bool linear) {
  if (!beginFrame()) return D3D_OK;  // nothing to draw on, as with the window gone
  FloatRect to;
  FloatRect from;
  if (texture != nullptr && linear) {
    const PixelPlane texels = texture->texels();
    if (texels.width >= 2 && texels.height >= 2 && uprightQuad(triangles, texels.width, texels.height, to, from)) {
      // What the renderer has queued lands first.
      if (renderer_ != nullptr && SDL_RenderFlush(renderer_) != 0) return D3DERR_DRIVERINTERNALERROR;
      const SDL_FPoint topLeft = onTarget(SDL_FPoint{to.left, to.top});
      const SDL_FPoint bottomRight = onTarget(SDL_FPoint{to.right, to.bottom});
      stretch_.draw(texels, from, target_, FloatRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y},
                    PixelArea{area_.x, area_.y, area_.w, area_.h});
      return D3D_OK;
    }
  }
  SDL_Renderer* r = renderer();
  if (r == nullptr) return D3DERR_DRIVERINTERNALERROR;
  SDL_Texture* sdl = nullptr;
  if (texture != nullptr) {
    sdl = texture->upToDate(r);
    if (sdl == nullptr) return D3DERR_DRIVERINTERNALERROR;
    SDL_SetTextureScaleMode(sdl, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  }
  mapped_ = triangles;
  for (SDL_Vertex& v : mapped_) v.position = onTarget(v.position);
  if (SDL_RenderSetClipRect(r, &area_) != 0 ||
      SDL_RenderGeometry(r, sdl, mapped_.data(), static_cast<int>(mapped_.size()), nullptr, 0) != 0) {
    return D3DERR_DRIVERINTERNALERROR;
  }
  return D3D_OK;
}

HRESULT SoftwareBackBuffer::present() {
  if (!beginFrame()) return D3DERR_DEVICELOST;
  inFrame_ = false;  // the next draw finds the target anew (the window may have changed)
  if (renderer_ != nullptr && SDL_RenderFlush(renderer_) != 0) return D3DERR_DRIVERINTERNALERROR;
  if (capturing_) {
    // Capture: record the back buffer, then show it on the window as the other way does.
    if (ScreenImage* capture = beginScreenCapture(width(), height())) {
      for (int y = 0; y < height(); ++y) {
        std::memcpy(&capture->pixels[static_cast<std::size_t>(y) * width()], target_.row(y),
                    static_cast<std::size_t>(width()) * 4);
      }
    }
    const PixelPlane* frame = screen_.frame();
    if (frame == nullptr) return D3DERR_DEVICELOST;
    const SDL_Rect where = placeKeepingAspect(frame->width, frame->height, width(), height());
    stretch_.draw(target_, FloatRect{0, 0, static_cast<float>(width()), static_cast<float>(height())}, *frame,
                  FloatRect{static_cast<float>(where.x), static_cast<float>(where.y),
                            static_cast<float>(where.x + where.w), static_cast<float>(where.y + where.h)},
                  PixelArea{where.x, where.y, where.w, where.h});
  }
  return screen_.show() ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
}

}  // namespace platform::directx
