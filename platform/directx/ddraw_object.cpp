#include "platform/directx/ddraw_object.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <utility>

#include "platform/directx/ddraw_palette.h"
#include "platform/directx/ddraw_surface.h"
#include "platform/directx/sdl_display.h"

namespace platform::directx {
namespace {

constexpr DWORD largestMode = 4096;
constexpr DWORD largestSurface = 16384;
constexpr DWORD videoMemoryCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;

// One object at a time owns the display.
DirectDraw* exclusiveHolder = nullptr;

// What an 8-bit screen shows before any palette is attached: a grey ramp.
const std::array<std::uint32_t, 256> greyRamp = [] {
  std::array<std::uint32_t, 256> ramp{};
  for (std::uint32_t i = 0; i < 256; ++i) ramp[i] = i * 0x010101;
  return ramp;
}();

}  // namespace

DirectDraw::DirectDraw(const LayerSettings& settings) : settings_(settings) { useDesktopMode(); }

DirectDraw::~DirectDraw() {
  // Surfaces first: they give back the palettes they hold.
  const std::vector<Surface*> surfaces = std::exchange(surfaces_, {});
  for (Surface* surface : surfaces) surface->destroy();
  primary_ = nullptr;
  const std::vector<Palette*> palettes = std::exchange(palettes_, {});
  for (Palette* palette : palettes) palette->destroy();
  leaveExclusive();
  if (listener_ != 0) removeWindowListener(listener_);
}

void DirectDraw::useDesktopMode() {
  SDL_DisplayMode desktop{};
  const bool known = SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDesktopDisplayMode(0, &desktop) == 0;
  modeWidth_ = known ? static_cast<DWORD>(desktop.w) : 640;
  modeHeight_ = known ? static_cast<DWORD>(desktop.h) : 480;
  modeFormat_ = ModeFormat{32, false};
}

void DirectDraw::loseSurfaces() {
  for (Surface* surface : surfaces_) surface->lose();
}

void DirectDraw::leaveExclusive() {
  if (!exclusive_) return;
  screen_.close();
  leaveFullScreen(window_);
  exclusive_ = false;
  minimized_ = false;
  if (exclusiveHolder == this) exclusiveHolder = nullptr;
  useDesktopMode();
}

HRESULT DirectDraw::SetCooperativeLevel(HWND hWnd, DWORD dwFlags) {
  const bool fullScreen = (dwFlags & DDSCL_FULLSCREEN) != 0;
  const bool exclusive = (dwFlags & DDSCL_EXCLUSIVE) != 0;
  const bool normal = (dwFlags & DDSCL_NORMAL) != 0;
  if (fullScreen != exclusive || normal == exclusive) return DDERR_INVALIDPARAMS;

  if (exclusive) {
    if (sdlWindowOf(hWnd) == nullptr) return DDERR_INVALIDPARAMS;
    if (exclusiveHolder != nullptr && exclusiveHolder != this) return DDERR_EXCLUSIVEMODEALREADYSET;
    if (exclusive_ && hWnd != window_) {
      leaveExclusive();
      loseSurfaces();
    }
    if (!exclusive_) {
      takeFullScreen(hWnd);
      if (!screen_.open(hWnd)) {
        leaveFullScreen(hWnd);
        return DDERR_GENERIC;
      }
      screen_.setMode(static_cast<int>(modeWidth_), static_cast<int>(modeHeight_));
      exclusive_ = true;
      exclusiveHolder = this;
    }
  } else if (exclusive_) {
    leaveExclusive();
    loseSurfaces();
  }
  window_ = hWnd;
  cooperative_ = true;
  if (listener_ == 0) {
    listener_ = addWindowListener([this](HWND window, WindowChange change) { windowChanged(window, change); });
  }
  return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD, DWORD dwFlags) {
  if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
  if (dwFlags != 0) return DDERR_INVALIDPARAMS;
  if (!settings_.acceptsDepth(dwBPP) || dwWidth == 0 || dwHeight == 0 || dwWidth > largestMode ||
      dwHeight > largestMode) {
    return DDERR_INVALIDMODE;
  }
  const ModeFormat format{dwBPP, dwBPP == 16 && settings_.rgb555};
  if (dwWidth != modeWidth_ || dwHeight != modeHeight_ || !(format == modeFormat_)) {
    loseSurfaces();  // a mode change takes every surface's memory
    modeWidth_ = dwWidth;
    modeHeight_ = dwHeight;
    modeFormat_ = format;
  }
  frameSizeChosen(window_, static_cast<int>(dwWidth), static_cast<int>(dwHeight));  // the mode is the frame
  screen_.setMode(static_cast<int>(dwWidth), static_cast<int>(dwHeight));
  screen_.blank();
  return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
  if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
  loseSurfaces();
  useDesktopMode();
  screen_.setMode(static_cast<int>(modeWidth_), static_cast<int>(modeHeight_));
  screen_.blank();
  return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC2 lpDDSurfaceDesc) {
  if (lpDDSurfaceDesc == nullptr || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  DDSURFACEDESC2 mode{};
  mode.dwSize = sizeof(DDSURFACEDESC2);
  mode.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  mode.dwWidth = modeWidth_;
  mode.dwHeight = modeHeight_;
  mode.lPitch = static_cast<LONG>(modeWidth_ * bytesPerPixel(modeFormat_));
  mode.dwRefreshRate = 60;
  mode.ddpfPixelFormat = describe(modeFormat_);
  *lpDDSurfaceDesc = mode;
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                                  IUnknown* pUnkOuter) {
  if (lpDDSurfaceDesc == nullptr || lplpDDSurface == nullptr) return DDERR_INVALIDPARAMS;
  *lplpDDSurface = nullptr;
  if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
  const DDSURFACEDESC2& description = *lpDDSurfaceDesc;
  if (description.dwSize != sizeof(DDSURFACEDESC2) || (description.dwFlags & DDSD_CAPS) == 0) {
    return DDERR_INVALIDPARAMS;
  }
  if (!cooperative_) return DDERR_NOCOOPERATIVELEVELSET;
  const DWORD caps = description.ddsCaps.dwCaps;
  if ((caps & DDSCAPS_SYSTEMMEMORY) != 0 && (caps & DDSCAPS_VIDEOMEMORY) != 0) return DDERR_INVALIDCAPS;

  Surface* made = nullptr;
  const HRESULT result =
      (caps & DDSCAPS_PRIMARYSURFACE) != 0 ? createPrimary(description, made) : createOffscreen(description, made);
  if (result == DD_OK) *lplpDDSurface = made;
  return result;
}

HRESULT DirectDraw::createPrimary(const DDSURFACEDESC2& description, Surface*& made) {
  if (primary_ != nullptr) return DDERR_PRIMARYSURFACEALREADYEXISTS;
  // The primary is the screen: its size and format are the mode's.
  if ((description.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) != 0) return DDERR_INVALIDPARAMS;
  const DWORD caps = description.ddsCaps.dwCaps;
  const bool flipping = (caps & DDSCAPS_FLIP) != 0;
  if (flipping) {
    if ((caps & DDSCAPS_COMPLEX) == 0 || (description.dwFlags & DDSD_BACKBUFFERCOUNT) == 0 ||
        description.dwBackBufferCount == 0) {
      return DDERR_INVALIDPARAMS;
    }
    if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    if (description.dwBackBufferCount > 1) return DDERR_UNSUPPORTED;  // chains of one back buffer only
  }
  const DWORD chainCaps = flipping ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0;
  auto* primary = new Surface(*this, SurfaceRole::primary,
                              DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | chainCaps | videoMemoryCaps, modeWidth_,
                              modeHeight_, modeFormat_);
  surfaces_.push_back(primary);
  if (flipping) {
    // The chain holds the back buffer's first reference; GetAttachedSurface adds one.
    auto* backBuffer = new Surface(*this, SurfaceRole::backBuffer, DDSCAPS_BACKBUFFER | chainCaps | videoMemoryCaps,
                                   modeWidth_, modeHeight_, modeFormat_);
    surfaces_.push_back(backBuffer);
    primary->attach(*backBuffer);
  }
  primary_ = primary;
  made = primary;
  return DD_OK;
}

HRESULT DirectDraw::createOffscreen(const DDSURFACEDESC2& description, Surface*& made) {
  const DWORD caps = description.ddsCaps.dwCaps;
  constexpr DWORD chainCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if ((caps & chainCaps) != 0) return DDERR_INVALIDCAPS;
  const DWORD width = description.dwWidth;
  const DWORD height = description.dwHeight;
  if ((description.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || width == 0 || height == 0 ||
      width > largestSurface || height > largestSurface) {
    return DDERR_INVALIDPARAMS;
  }
  if ((description.dwFlags & DDSD_PIXELFORMAT) != 0 && !describes(description.ddpfPixelFormat, modeFormat_)) {
    return DDERR_INVALIDPIXELFORMAT;  // surfaces come in the mode's format only
  }
  DWORD memory = DDSCAPS_SYSTEMMEMORY;
  if ((caps & DDSCAPS_SYSTEMMEMORY) == 0) {
    if (settings_.videoMemory) {
      memory =
          DDSCAPS_VIDEOMEMORY | ((caps & DDSCAPS_NONLOCALVIDMEM) != 0 ? DDSCAPS_NONLOCALVIDMEM : DDSCAPS_LOCALVIDMEM);
    } else if ((caps & DDSCAPS_VIDEOMEMORY) != 0) {
      return DDERR_OUTOFVIDEOMEMORY;
    }
  }
  made = new Surface(*this, SurfaceRole::offscreen, DDSCAPS_OFFSCREENPLAIN | memory, width, height, modeFormat_);
  surfaces_.push_back(made);
  return DD_OK;
}

HRESULT DirectDraw::CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpColorTable, LPDIRECTDRAWPALETTE* lplpDDPalette,
                                  IUnknown* pUnkOuter) {
  if (lpColorTable == nullptr || lplpDDPalette == nullptr) return DDERR_INVALIDPARAMS;
  *lplpDDPalette = nullptr;
  if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
  if ((dwFlags & DDPCAPS_8BIT) == 0) return DDERR_UNSUPPORTED;  // 8-bit palettes only
  if (!cooperative_) return DDERR_NOCOOPERATIVELEVELSET;
  auto* palette = new Palette(*this, dwFlags, lpColorTable);
  palettes_.push_back(palette);
  *lplpDDPalette = palette;
  return DD_OK;
}

bool DirectDraw::show(const Surface& primary, bool wait) {
  if (!screen_.isOpen() || minimized_ || primary.lost()) return true;  // nothing to show it on
  const std::uint32_t* colours = primary.palette() != nullptr ? primary.palette()->colours() : greyRamp.data();
  return screen_.show(primary.pixels(), primary.pitch(), primary.format(), colours, wait);
}

void DirectDraw::paletteChanged(const Palette& palette) {
  if (primary_ != nullptr && primary_->palette() == &palette) show(*primary_);
}

void DirectDraw::forget(Surface& surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), &surface), surfaces_.end());
  surface.destroy();
}

void DirectDraw::surfaceReleased(Surface& surface) {
  switch (surface.role()) {
    case SurfaceRole::backBuffer: return;  // the flipping chain still holds it; it goes with the primary
    case SurfaceRole::primary:
      if (Surface* backBuffer = surface.attached()) forget(*backBuffer);
      primary_ = nullptr;
      forget(surface);
      return;
    case SurfaceRole::offscreen: forget(surface); return;
  }
}

void DirectDraw::paletteReleased(Palette& palette) {
  palettes_.erase(std::remove(palettes_.begin(), palettes_.end(), &palette), palettes_.end());
  palette.destroy();
}

void DirectDraw::windowChanged(HWND window, WindowChange change) {
  if (window != window_ || !exclusive_) return;
  switch (change) {
    case WindowChange::minimized:
      // The desktop is back on the screen: the exclusive mode's surfaces lose their memory.
      minimized_ = true;
      loseSurfaces();
      break;
    case WindowChange::restored:
      minimized_ = false;
      screen_.blank();
      break;
    case WindowChange::destroying:
      // Nothing can be shown any more. The surfaces stay, so the program can still restore
      // and release them as it shuts down.
      screen_.close();
      minimized_ = false;
      window_ = nullptr;
      break;
  }
}

}  // namespace platform::directx

HRESULT WINAPI DirectDrawCreateEx(GUID* lpGUID, LPVOID* lplpDD, REFIID iid, IUnknown* pUnkOuter) {
  if (lplpDD == nullptr) return DDERR_INVALIDPARAMS;
  *lplpDD = nullptr;
  if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
  if (lpGUID != nullptr) return DDERR_INVALIDPARAMS;  // only the active display driver
  if (iid != IID_IDirectDraw7) return E_NOINTERFACE;
  IDirectDraw7* directDraw = new platform::directx::DirectDraw(platform::directx::readLayerSettings());
  *lplpDD = directDraw;
  return DD_OK;
}
