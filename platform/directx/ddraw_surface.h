// IDirectDrawSurface7: a surface's memory in the mode's pixel format, rows 256-byte
// aligned as a display card lays them out; locking, copying, flipping, and the lost state
// that a minimised exclusive window brings.
#pragma once

#include <ddraw.h>

#include <cstdint>
#include <vector>

#include "platform/directx/com_object.h"
#include "platform/directx/pixel_formats.h"

namespace platform::directx {

class DirectDraw;
class Palette;

enum class SurfaceRole { primary, backBuffer, offscreen };

class Surface final : public ComObject<IDirectDrawSurface7> {
 public:
  Surface(DirectDraw& owner, SurfaceRole role, DWORD caps, DWORD width, DWORD height, ModeFormat format);

  HRESULT BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwTrans) override;
  HRESULT Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) override;
  HRESULT GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) override;
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  HRESULT IsLost() override;
  HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) override;
  HRESULT Restore() override;
  HRESULT SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) override;
  HRESULT Unlock(LPRECT lpRect) override;

  // For the DirectDraw object.
  SurfaceRole role() const { return role_; }
  DirectDraw& owner() const { return *owner_; }
  void attach(Surface& backBuffer) { attached_ = &backBuffer; }
  Surface* attached() const { return attached_; }
  void lose() { lost_ = true; }
  bool lost() const { return lost_; }
  const std::uint8_t* pixels() const { return pixels_.data(); }
  LONG pitch() const { return pitch_; }
  ModeFormat format() const { return format_; }
  Palette* palette() const { return palette_; }
  // The DirectDraw object goes, and takes the surface with it.
  void destroy() { delete this; }

 private:
  ~Surface() override;
  bool answers(REFIID iid) const override { return iid == IID_IDirectDrawSurface7; }
  void lastReferenceDropped() override;
  void describeInto(DDSURFACEDESC2& description) const;
  // A lone primary surface is the screen itself: what is written to it shows at once.
  void showIfScreen();

  DirectDraw* owner_;
  SurfaceRole role_;
  DWORD caps_;
  DWORD width_;
  DWORD height_;
  ModeFormat format_;
  LONG pitch_;
  std::vector<std::uint8_t> pixels_;
  Surface* attached_ = nullptr;  // the primary's back buffer
  Palette* palette_ = nullptr;   // one reference held
  bool locked_ = false;
  bool lost_ = false;
};

}  // namespace platform::directx
