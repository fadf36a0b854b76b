// What the screen shows of a frame (320×240 unless told) at a DirectDraw depth, worked out pixel by pixel
// from the modes' bit patterns and, at 8 bits, the error diffusion into 3-3-2. Written apart
// from the library's converters, so that a fault in them cannot move the expectation too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace expected {

using Frame = std::vector<std::uint32_t>;  // 0x00RRGGBB
constexpr int width = 320;
constexpr int height = 240;

// A channel cut to its top `bits`, as the screen shows it: widened again by repeating them.
inline std::uint32_t cut(std::uint32_t channel, int bits) {
  const std::uint32_t top = channel >> (8 - bits);
  return (top << (8 - bits) | top >> (2 * bits - 8)) & 0xFF;
}

// 8 bits: each channel plus the error carried to it, capped at 255, cut to its top bits;
// what is cut off goes on 7/16 right, 3/16 below-left, 5/16 below and the rest below-right.
// Two rows of errors, pixel x's in slot x + 1, so that all 2^24 colours fit in memory.
inline Frame dithered(const Frame& frame, int w = width, int h = height) {
  std::vector<int> row((w + 2) * 3), below(row.size());
  const auto error = [](std::vector<int>& errors, int x, int c) -> int& { return errors[(x + 1) * 3 + c]; };
  Frame shown(frame.size());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint32_t colour = 0;
      for (int c = 0; c < 3; ++c) {
        const int shift = 16 - 8 * c;
        const int sum = std::min(255, static_cast<int>(frame[y * w + x] >> shift & 0xFF) + error(row, x, c));
        const int kept = sum & (c == 2 ? 0xC0 : 0xE0);
        const int e = sum - kept;
        error(row, x + 1, c) += 7 * e >> 4;
        error(below, x - 1, c) += 3 * e >> 4;
        error(below, x, c) += 5 * e >> 4;
        error(below, x + 1, c) += e - (7 * e >> 4) - (3 * e >> 4) - (5 * e >> 4);
        colour |= static_cast<std::uint32_t>(kept) << shift;
      }
      // The palette's last entry (224, 224, 192) is the one DirectDraw keeps white.
      shown[y * w + x] = colour == 0xE0E0C0 ? 0xFFFFFF : colour;
    }
    row.swap(below);
    std::fill(below.begin(), below.end(), 0);
  }
  return shown;
}

// The frame on a screen of this depth (16 bits: 5-6-5, or 5-5-5 where rgb555).
inline Frame screenAt(const Frame& frame, int depth, bool rgb555, int w = width, int h = height) {
  if (depth == 8) return dithered(frame, w, h);
  const int redAndBlue = depth == 16 ? 5 : 8;
  const int green = depth == 16 && !rgb555 ? 6 : redAndBlue;
  Frame shown(frame.size());
  std::transform(frame.begin(), frame.end(), shown.begin(), [&](std::uint32_t p) {
    return cut(p >> 16 & 0xFF, redAndBlue) << 16 | cut(p >> 8 & 0xFF, green) << 8 | cut(p & 0xFF, redAndBlue);
  });
  return shown;
}

}  // namespace expected
