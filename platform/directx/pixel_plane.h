// A picture in memory as the layer's screens draw it: 32-bit pixels 0x00RRGGBB (the top
// byte is not read), rows `pitch` pixels apart.
#pragma once

#include <cstdint>

namespace platform::directx {

struct PixelPlane {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;  // in pixels

  std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// Whole pixels: x to x + w − 1, y to y + h − 1.
struct PixelArea {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

}  // namespace platform::directx
