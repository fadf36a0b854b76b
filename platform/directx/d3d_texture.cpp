#include "platform/directx/d3d_texture.h"

#include "platform/directx/d3d_device.h"

namespace platform::directx {

Texture::Texture(Device& owner, UINT width, UINT height)
    : DeviceResource(owner), width_(width), height_(height), texels_(static_cast<std::size_t>(width) * height) {
  owner.textureMade(*this);
}

Texture::~Texture() {
  dropSdlTexture();
  device().textureGone(*this);
}

PixelPlane Texture::texels() {
  return PixelPlane{texels_.data(), static_cast<int>(width_), static_cast<int>(height_), static_cast<int>(width_)};
}

SDL_Texture* Texture::upToDate(SDL_Renderer* renderer) {
  if (sdl_ != nullptr && sdlRenderer_ != renderer) dropSdlTexture();
  if (sdl_ == nullptr) {
    sdl_ = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, static_cast<int>(width_),
                             static_cast<int>(height_));
    if (sdl_ == nullptr) return nullptr;
    sdlRenderer_ = renderer;
    // The frame's top byte is 0: drawn as it is, never blended.
    SDL_SetTextureBlendMode(sdl_, SDL_BLENDMODE_NONE);
    dirty_ = SDL_Rect{0, 0, static_cast<int>(width_), static_cast<int>(height_)};
  }
  if (dirty_.w > 0 && dirty_.h > 0) {
    const std::uint32_t* first = texels_.data() + static_cast<std::size_t>(dirty_.y) * width_ + dirty_.x;
    if (SDL_UpdateTexture(sdl_, &dirty_, first, static_cast<int>(width_ * 4)) != 0) return nullptr;  // still dirty
    dirty_ = SDL_Rect{0, 0, 0, 0};
  }
  return sdl_;
}

void Texture::dropSdlTexture() {
  if (sdl_ != nullptr) SDL_DestroyTexture(sdl_);
  sdl_ = nullptr;
  sdlRenderer_ = nullptr;
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (Level != 0 || pLockedRect == nullptr || locked_) return D3DERR_INVALIDCALL;
  const RECT area = pRect != nullptr ? *pRect : RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  if (area.left < 0 || area.top < 0 || area.left >= area.right || area.top >= area.bottom ||
      area.right > static_cast<LONG>(width_) || area.bottom > static_cast<LONG>(height_)) {
    return D3DERR_INVALIDCALL;
  }
  // What is written from the corner is the picture the program shows.
  if (area.left == 0 && area.top == 0) device().pictureLocked(area.right, area.bottom);
  pLockedRect->Pitch = static_cast<INT>(width_ * 4);
  pLockedRect->pBits = texels_.data() + static_cast<std::size_t>(area.top) * width_ + area.left;
  if ((Flags & D3DLOCK_READONLY) == 0) {
    const SDL_Rect locked{area.left, area.top, area.right - area.left, area.bottom - area.top};
    if (dirty_.w == 0 || dirty_.h == 0) {
      dirty_ = locked;
    } else {
      SDL_UnionRect(&dirty_, &locked, &dirty_);
    }
  }
  locked_ = true;
  return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT Level) {
  if (Level != 0 || !locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

}  // namespace platform::directx
