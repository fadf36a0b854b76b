#include "platform/directx/d3d_texture.h"

#include "platform/directx/d3d_device.h"

namespace platform::directx {

Texture::Texture(Device& owner, UINT width, UINT height)
    : DeviceResource(owner),
      width_(width),
      height_(height),
      pitch_(static_cast<INT>(width * 4)),
      texels_(static_cast<std::size_t>(width) * 4 * height) {
  owner.textureMade(*this);
}

Texture::~Texture() {
  dropSdlTexture();
  device().textureGone(*this);
}

bool Texture::makeSdlTexture(SDL_Renderer* renderer) {
  sdl_ = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, static_cast<int>(width_),
                           static_cast<int>(height_));
  if (sdl_ == nullptr) return false;
  // The frame's top byte is 0: drawn as it is, never blended.
  SDL_SetTextureBlendMode(sdl_, SDL_BLENDMODE_NONE);
  dirty_ = SDL_Rect{0, 0, static_cast<int>(width_), static_cast<int>(height_)};
  return true;
}

void Texture::dropSdlTexture() {
  if (sdl_ != nullptr) SDL_DestroyTexture(sdl_);
  sdl_ = nullptr;
}

SDL_Texture* Texture::upToDate() {
  if (sdl_ != nullptr && dirty_.w > 0 && dirty_.h > 0) {
    const std::uint8_t* first = texels_.data() + static_cast<std::size_t>(dirty_.y) * pitch_ + dirty_.x * 4u;
    SDL_UpdateTexture(sdl_, &dirty_, first, pitch_);
    dirty_ = SDL_Rect{0, 0, 0, 0};
  }
  return sdl_;
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (Level != 0 || pLockedRect == nullptr || locked_) return D3DERR_INVALIDCALL;
  const RECT area = pRect != nullptr ? *pRect : RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  if (area.left < 0 || area.top < 0 || area.left >= area.right || area.top >= area.bottom ||
      area.right > static_cast<LONG>(width_) || area.bottom > static_cast<LONG>(height_)) {
    return D3DERR_INVALIDCALL;
  }
  pLockedRect->Pitch = pitch_;
  pLockedRect->pBits = texels_.data() + static_cast<std::size_t>(area.top) * pitch_ + area.left * 4u;
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
