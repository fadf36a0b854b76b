#include "platform/directx/ddraw_surface.h"

#include <cstring>

#include "platform/directx/ddraw_object.h"
#include "platform/directx/ddraw_palette.h"
#include "platform/stats/run_stats.h"

namespace platform::directx {
namespace {

constexpr LONG rowAlignment = 256;

LONG alignedPitch(DWORD width, ModeFormat format) {
  const LONG row = static_cast<LONG>(width * bytesPerPixel(format));
  return (row + rowAlignment - 1) / rowAlignment * rowAlignment;
}

bool validRect(const RECT& r, DWORD width, DWORD height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= static_cast<LONG>(width) &&
         r.bottom <= static_cast<LONG>(height);
}

}  // namespace

Surface::Surface(DirectDraw& owner, SurfaceRole role, DWORD caps, DWORD width, DWORD height, ModeFormat format)
    : owner_(&owner),
      role_(role),
      caps_(caps),
      width_(width),
      height_(height),
      format_(format),
      pitch_(alignedPitch(width, format)),
      pixels_(static_cast<std::size_t>(pitch_) * height) {}

Surface::~Surface() {
  if (palette_ != nullptr) palette_->Release();
}

void Surface::lastReferenceDropped() { owner_->surfaceReleased(*this); }

void Surface::describeInto(DDSURFACEDESC2& description) const {
  const DWORD size = description.dwSize;
  description = DDSURFACEDESC2{};
  description.dwSize = size;
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  description.dwWidth = width_;
  description.dwHeight = height_;
  description.lPitch = pitch_;
  description.ddpfPixelFormat = describe(format_);
  description.ddsCaps.dwCaps = caps_;
  if (role_ == SurfaceRole::primary && attached_ != nullptr) {
    description.dwFlags |= DDSD_BACKBUFFERCOUNT;
    description.dwBackBufferCount = 1;
  }
}

void Surface::showIfScreen() {
  if (role_ == SurfaceRole::primary && attached_ == nullptr) owner_->show(*this);
}

HRESULT Surface::BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwTrans) {
  auto* source = dynamic_cast<Surface*>(lpDDSrcSurface);
  if (source == nullptr || &source->owner() != owner_) return DDERR_INVALIDPARAMS;
  // No surface of this layer ever has a colour key.
  if ((dwTrans & (DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY)) != 0) return DDERR_NOCOLORKEY;
  if (lost_ || source->lost_) return DDERR_SURFACELOST;
  if (locked_ || source->locked_) return DDERR_SURFACEBUSY;
  if (!(source->format_ == format_)) return DDERR_INVALIDPIXELFORMAT;

  const RECT from = lpSrcRect != nullptr
                        ? *lpSrcRect
                        : RECT{0, 0, static_cast<LONG>(source->width_), static_cast<LONG>(source->height_)};
  if (!validRect(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
  const LONG width = from.right - from.left;
  const LONG height = from.bottom - from.top;
  if (dwX > width_ || dwY > height_) return DDERR_INVALIDRECT;
  const RECT to{static_cast<LONG>(dwX), static_cast<LONG>(dwY), static_cast<LONG>(dwX) + width,
                static_cast<LONG>(dwY) + height};
  if (!validRect(to, width_, height_)) return DDERR_INVALIDRECT;

  const std::size_t bytes = bytesPerPixel(format_);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * bytes;
  // Within one surface, rows moving down are copied from the bottom up.
  const bool bottomUp = source == this && to.top > from.top;
  for (LONG i = 0; i < height; ++i) {
    const LONG row = bottomUp ? height - 1 - i : i;
    const std::uint8_t* in = source->pixels_.data() + static_cast<std::size_t>(from.top + row) * source->pitch_ +
                             static_cast<std::size_t>(from.left) * bytes;
    std::uint8_t* out =
        pixels_.data() + static_cast<std::size_t>(to.top + row) * pitch_ + static_cast<std::size_t>(to.left) * bytes;
    std::memmove(out, in, rowBytes);
  }
  showIfScreen();
  return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) {
  if (role_ != SurfaceRole::primary || attached_ == nullptr) return DDERR_NOTFLIPPABLE;
  if (lpDDSurfaceTargetOverride != nullptr && lpDDSurfaceTargetOverride != attached_) return DDERR_INVALIDPARAMS;
  if (!owner_->exclusive()) return DDERR_NOEXCLUSIVEMODE;
  if (lost_ || attached_->lost_) return DDERR_SURFACELOST;
  if (locked_ || attached_->locked_) return DDERR_SURFACEBUSY;
  // The memory changes places; the interfaces keep their roles.
  pixels_.swap(attached_->pixels_);
  // DDFLIP_NOVSYNC shows it at once rather than at the next refresh.
  if (!owner_->show(*this, (dwFlags & DDFLIP_NOVSYNC) == 0)) return DDERR_GENERIC;  // it did not reach the screen
  platform::stats::framePresented(owner_->shownNs());
  return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) {
  if (lpDDSCaps == nullptr || lplpDDAttachedSurface == nullptr) return DDERR_INVALIDPARAMS;
  *lplpDDAttachedSurface = nullptr;
  if (attached_ == nullptr || (attached_->caps_ & lpDDSCaps->dwCaps) != lpDDSCaps->dwCaps) return DDERR_NOTFOUND;
  attached_->AddRef();
  *lplpDDAttachedSurface = attached_;
  return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 lpDDSurfaceDesc) {
  if (lpDDSurfaceDesc == nullptr || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  describeInto(*lpDDSurfaceDesc);
  return DD_OK;
}

HRESULT Surface::IsLost() { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HRESULT Surface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD, HANDLE) {
  if (lpDDSurfaceDesc == nullptr || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (locked_) return DDERR_SURFACEBUSY;
  const RECT whole{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  const RECT area = lpDestRect != nullptr ? *lpDestRect : whole;
  if (!validRect(area, width_, height_)) return DDERR_INVALIDRECT;
  describeInto(*lpDDSurfaceDesc);
  lpDDSurfaceDesc->dwFlags |= DDSD_LPSURFACE;
  lpDDSurfaceDesc->lpSurface = pixels_.data() + static_cast<std::size_t>(area.top) * pitch_ +
                               static_cast<std::size_t>(area.left) * bytesPerPixel(format_);
  locked_ = true;
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT) {
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  showIfScreen();
  return DD_OK;
}

HRESULT Surface::Restore() {
  // The memory comes back only with the mode it was made for.
  if (owner_->minimized()) return DDERR_WRONGMODE;
  if (!(format_ == owner_->modeFormat())) return DDERR_WRONGMODE;
  if (role_ != SurfaceRole::offscreen && (width_ != owner_->modeWidth() || height_ != owner_->modeHeight())) {
    return DDERR_WRONGMODE;
  }
  if (lost_) {
    std::memset(pixels_.data(), 0, pixels_.size());  // a restored surface's contents are gone
    lost_ = false;
  }
  // A flipping chain is restored as a whole.
  if (attached_ != nullptr) return attached_->Restore();
  return DD_OK;
}

HRESULT Surface::SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) {
  auto* palette = dynamic_cast<Palette*>(lpDDPalette);
  if (lpDDPalette != nullptr && (palette == nullptr || &palette->owner() != owner_)) return DDERR_INVALIDPARAMS;
  if (format_.bits != 8) return DDERR_INVALIDPIXELFORMAT;
  if (lost_) return DDERR_SURFACELOST;
  if (palette != nullptr) palette->AddRef();
  if (palette_ != nullptr) palette_->Release();
  palette_ = palette;
  if (role_ == SurfaceRole::primary) owner_->show(*this);  // the screen's colours change at once
  return DD_OK;
}

}  // namespace platform::directx
