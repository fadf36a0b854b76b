#include "platform/directx/ddraw_palette.h"

#include "platform/directx/ddraw_object.h"

namespace platform::directx {

Palette::Palette(DirectDraw& owner, DWORD caps, const PALETTEENTRY* entries)
    : owner_(&owner), allow256_((caps & DDPCAPS_ALLOW256) != 0) {
  store(0, 256, entries);
}

HRESULT Palette::GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) {
  if (dwFlags != 0 || lpEntries == nullptr || dwBase > 256 || dwNumEntries > 256 - dwBase) {
    return DDERR_INVALIDPARAMS;
  }
  for (DWORD i = 0; i < dwNumEntries; ++i) lpEntries[i] = entries_[dwBase + i];
  return DD_OK;
}

HRESULT Palette::SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) {
  if (dwFlags != 0 || lpEntries == nullptr || dwStartingEntry > 256 || dwCount > 256 - dwStartingEntry) {
    return DDERR_INVALIDPARAMS;
  }
  store(dwStartingEntry, dwCount, lpEntries);
  owner_->paletteChanged(*this);  // a palette on the screen changes it at once
  return DD_OK;
}

void Palette::lastReferenceDropped() { owner_->paletteReleased(*this); }

void Palette::store(DWORD first, DWORD count, const PALETTEENTRY* entries) {
  for (DWORD i = 0; i < count; ++i) entries_[first + i] = entries[i];
  if (!allow256_) {
    entries_[0] = PALETTEENTRY{0, 0, 0, 0};
    entries_[255] = PALETTEENTRY{255, 255, 255, 0};
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const PALETTEENTRY& e = entries_[i];
    colours_[i] = (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) | e.peBlue;
  }
}

}  // namespace platform::directx
