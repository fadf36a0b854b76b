// IDirect3DTexture8 in the managed pool: a system-memory copy that LockRect hands out
// (rows of width × 4 bytes), and an SDL streaming texture brought up to date from the
// changed rectangle before the texture is drawn.
#pragma once

#include <SDL.h>
#include <d3d8.h>

#include <cstdint>
#include <vector>

#include "platform/directx/d3d_resource.h"

namespace platform::directx {

class Texture final : public DeviceResource<IDirect3DTexture8> {
 public:
  Texture(Device& owner, UINT width, UINT height);

  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;

  // For the device. False when the renderer cannot hold it.
  bool makeSdlTexture(SDL_Renderer* renderer);
  void dropSdlTexture();
  // The SDL texture with the locked changes copied in, or null.
  SDL_Texture* upToDate();

 private:
  ~Texture() override;
  bool answers(REFIID iid) const override {
    return iid == IID_IDirect3DTexture8 || iid == IID_IDirect3DBaseTexture8 || iid == IID_IDirect3DResource8;
  }

  UINT width_;
  UINT height_;
  INT pitch_;
  std::vector<std::uint8_t> texels_;
  SDL_Texture* sdl_ = nullptr;
  SDL_Rect dirty_{0, 0, 0, 0};  // the part SDL has not seen yet
  bool locked_ = false;
};

}  // namespace platform::directx
