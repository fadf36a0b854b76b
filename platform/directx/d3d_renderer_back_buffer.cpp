#include "platform/directx/d3d_renderer_back_buffer.h"

#include <algorithm>

#include "platform/directx/d3d_texture.h"
#include "platform/directx/screen_capture.h"
#include "platform/directx/sdl_display.h"

namespace platform::directx {
namespace {

int outputSize(SDL_Renderer* renderer, bool wide) {
  int width = 0;
  int height = 0;
  if (SDL_GetRendererOutputSize(renderer, &width, &height) != 0) return 0;
  return wide ? width : height;
}

}  // namespace

RendererBackBuffer::RendererBackBuffer(SDL_Renderer* renderer, int width, int height,
                                       const std::vector<Texture*>& textures)
    : BackBuffer(width > 0 ? width : outputSize(renderer, true), height > 0 ? height : outputSize(renderer, false)),
      renderer_(renderer),
      textures_(textures) {}

RendererBackBuffer::~RendererBackBuffer() {
  for (Texture* texture : textures_) texture->dropSdlTexture();
  if (target_ != nullptr) SDL_DestroyTexture(target_);
  SDL_DestroyRenderer(renderer_);
}

bool RendererBackBuffer::open() {
  if (width() <= 0 || height() <= 0) return false;
  target_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width(), height());
  if (target_ == nullptr) return false;
  SDL_SetTextureBlendMode(target_, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(target_, SDL_ScaleModeLinear);
  if (SDL_SetRenderTarget(renderer_, target_) != 0) return false;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, SDL_ALPHA_OPAQUE);
  return SDL_RenderClear(renderer_) == 0;
}

bool RendererBackBuffer::onTarget() {
  return SDL_GetRenderTarget(renderer_) == target_ || SDL_SetRenderTarget(renderer_, target_) == 0;
}

bool RendererBackBuffer::holds(Texture& texture) { return texture.upToDate(renderer_) != nullptr; }

HRESULT RendererBackBuffer::draw(const std::vector<SDL_Vertex>& triangles, Texture* texture, bool linear) {
  if (!onTarget()) return D3DERR_DRIVERINTERNALERROR;  // drawn on the window, it would show unasked
  SDL_Texture* sdl = nullptr;
  if (texture != nullptr) {
    sdl = texture->upToDate(renderer_);
    if (sdl == nullptr) return D3DERR_DRIVERINTERNALERROR;
    SDL_SetTextureScaleMode(sdl, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  }
  if (SDL_RenderGeometry(renderer_, sdl, triangles.data(), static_cast<int>(triangles.size()), nullptr, 0) != 0) {
    return D3DERR_DRIVERINTERNALERROR;
  }
  return D3D_OK;
}

HRESULT RendererBackBuffer::present() {
  if (!onTarget()) return D3DERR_DRIVERINTERNALERROR;
  if (ScreenImage* capture = beginScreenCapture(width(), height())) {
    if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, capture->pixels.data(), width() * 4) != 0) {
      std::fill(capture->pixels.begin(), capture->pixels.end(), 0u);  // nothing read: no stale picture either
    }
    for (std::uint32_t& pixel : capture->pixels) pixel &= 0x00FFFFFF;
  }
  if (SDL_SetRenderTarget(renderer_, nullptr) != 0) return D3DERR_DRIVERINTERNALERROR;
  int outputWidth = 0;
  int outputHeight = 0;
  SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
  const bool shown =
      presentCentred(renderer_, target_, placeKeepingAspect(outputWidth, outputHeight, width(), height()));
  // The next scene draws into the target again; should the switch fail, the next draw
  // tries once more.
  onTarget();
  return shown ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
}

}  // namespace platform::directx
