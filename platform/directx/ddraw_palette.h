// IDirectDrawPalette: 256 colours for 8-bit surfaces. Without DDPCAPS_ALLOW256 the entries
// 0 and 255 stay black and white whatever is written to them, as DirectDraw keeps them
// for the system.
#pragma once

#include <ddraw.h>

#include <array>
#include <cstdint>

#include "platform/directx/com_object.h"

namespace platform::directx {

class DirectDraw;

class Palette final : public ComObject<IDirectDrawPalette> {
 public:
  Palette(DirectDraw& owner, DWORD caps, const PALETTEENTRY* entries);

  HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) override;
  HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) override;

  DirectDraw& owner() const { return *owner_; }
  // The colours as the screen shows them, 0x00RRGGBB.
  const std::uint32_t* colours() const { return colours_.data(); }
  // The DirectDraw object goes, and takes the palette with it.
  void destroy() { delete this; }

 private:
  ~Palette() override = default;
  bool answers(REFIID iid) const override { return iid == IID_IDirectDrawPalette; }
  void lastReferenceDropped() override;
  void store(DWORD first, DWORD count, const PALETTEENTRY* entries);

  DirectDraw* owner_;
  bool allow256_;
  std::array<PALETTEENTRY, 256> entries_{};
  std::array<std::uint32_t, 256> colours_{};
};

}  // namespace platform::directx
