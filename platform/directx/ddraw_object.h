// IDirectDraw7: the cooperative level on a window, the exclusive full-screen display mode,
// and the surfaces and palettes made for it, which it takes with it when it goes.
#pragma once

#include <ddraw.h>

#include <vector>

#include "platform/directx/com_object.h"
#include "platform/directx/ddraw_screen.h"
#include "platform/directx/layer_settings.h"
#include "platform/directx/pixel_formats.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {

class Palette;
class Surface;

class DirectDraw final : public ComObject<IDirectDraw7> {
 public:
  explicit DirectDraw(const LayerSettings& settings);

  HRESULT CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpColorTable, LPDIRECTDRAWPALETTE* lplpDDPalette,
                        IUnknown* pUnkOuter) override;
  HRESULT CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                        IUnknown* pUnkOuter) override;
  HRESULT GetDisplayMode(LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) override;
  HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD dwFlags) override;

  // For surfaces and palettes.
  bool exclusive() const { return exclusive_; }
  // While the exclusive window is minimised the mode is not on the screen.
  bool minimized() const { return minimized_; }
  DWORD modeWidth() const { return modeWidth_; }
  DWORD modeHeight() const { return modeHeight_; }
  ModeFormat modeFormat() const { return modeFormat_; }
  // Shows the primary surface's memory, through its palette at 8 bits. False when the
  // display did not take it (nothing to show it on, minimised or gone, is no failure).
  bool show(const Surface& primary, bool wait = true);  // wait: for the refresh
  // When the last picture reached the screen (steady clock, ns).
  std::int64_t shownNs() const { return screen_.shownNs(); }
  void paletteChanged(const Palette& palette);
  void surfaceReleased(Surface& surface);
  void paletteReleased(Palette& palette);

 private:
  ~DirectDraw() override;
  bool answers(REFIID iid) const override { return iid == IID_IDirectDraw7; }
  HRESULT createPrimary(const DDSURFACEDESC2& description, Surface*& made);
  HRESULT createOffscreen(const DDSURFACEDESC2& description, Surface*& made);
  void forget(Surface& surface);
  void loseSurfaces();
  void leaveExclusive();
  void useDesktopMode();
  void windowChanged(HWND window, WindowChange change);

  LayerSettings settings_;
  DirectDrawScreen screen_;
  HWND window_ = nullptr;
  bool cooperative_ = false;  // a cooperative level has been set
  bool exclusive_ = false;
  bool minimized_ = false;
  int listener_ = 0;
  DWORD modeWidth_ = 0;
  DWORD modeHeight_ = 0;
  ModeFormat modeFormat_;
  std::vector<Surface*> surfaces_;
  std::vector<Palette*> palettes_;
  Surface* primary_ = nullptr;
};

}  // namespace platform::directx
