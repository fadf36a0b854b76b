// The display modes' pixel formats (32, packed 24, 16 as 5-6-5 or 5-5-5, 8 through a
// palette): their DirectDraw descriptions, and the conversion of a row to RGB for showing.
#pragma once

#include <ddraw.h>

#include <cstdint>

namespace platform::directx {

struct ModeFormat {
  DWORD bits = 32;      // 32, 24, 16 or 8
  bool rgb555 = false;  // at 16 bits: 5-5-5 rather than 5-6-5

  bool operator==(const ModeFormat&) const = default;
};

DWORD bytesPerPixel(ModeFormat format);
DDPIXELFORMAT describe(ModeFormat format);
// Whether a description names the format (bit count, palette flag and masks).
bool describes(const DDPIXELFORMAT& description, ModeFormat format);

// Converts width pixels of a row in the format to 0x00RRGGBB. The 5- and 6-bit channels
// are widened by repeating their top bits, so full intensity stays full; at 8 bits each
// index is looked up in palette (256 entries of 0x00RRGGBB).
void rowToRgb(const std::uint8_t* row, std::uint32_t* out, int width, ModeFormat format, const std::uint32_t* palette);

}  // namespace platform::directx
