// IDirect3DTexture8 in the managed pool: a system-memory copy that LockRect hands out
// (rows of width × 4 bytes), drawn from directly where the device draws in software, and
// copied from the changed rectangle into an SDL texture where a renderer draws it.
#pragma once

#include <SDL.h>
#include <d3d8.h>

#include <cstdint>
#include <vector>

#include "platform/directx/d3d_resource.h"
#include "platform/directx/pixel_plane.h"

namespace platform::directx {

class Texture final : public DeviceResource<IDirect3DTexture8> {
 public:
  Texture(Device& owner, UINT width, UINT height);

  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;

  // The texels as they are now.
  PixelPlane texels();
  // For the device: the SDL texture on `renderer`, made on first use there, with the
  // locked changes copied in; null when the renderer cannot hold it.
  SDL_Texture* upToDate(SDL_Renderer* renderer);
  // Before the renderer goes.
  void dropSdlTexture();

 private:
  ~Texture() override;
  bool answers(REFIID iid) const override {
    return iid == IID_IDirect3DTexture8 || iid == IID_IDirect3DBaseTexture8 || iid == IID_IDirect3DResource8;
  }

  UINT width_;
  UINT height_;
  std::vector<std::uint32_t> texels_;
  SDL_Texture* sdl_ = nullptr;
  SDL_Renderer* sdlRenderer_ = nullptr;  // the renderer sdl_ belongs to
  SDL_Rect dirty_{0, 0, 0, 0};           // the part sdl_ has not seen yet
  bool locked_ = false;
};

}  // namespace platform::directx
