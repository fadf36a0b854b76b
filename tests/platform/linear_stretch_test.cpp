// The software Direct3D way's linear filter: the SIMD rows give the plain rows' bytes, and
// a stretched picture is the bilinear mix of its texels, clamped at the edges, inside the
// clip only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/directx/linear_stretch.h"

namespace {

namespace dx = platform::directx;

TEST(LinearStretch, TheSimdRowsGiveThePlainRowsBytes) {
  std::mt19937 random(7);
  for (int width : {1, 2, 3, 7, 8, 9, 64, 1021}) {
    std::vector<std::uint32_t> upper(static_cast<std::size_t>(width) + 1);
    std::vector<std::uint32_t> lower(upper.size());
    for (std::size_t i = 0; i < upper.size(); ++i) {
      upper[i] = random();  // top bytes set too: the output's are 0 all the same
      lower[i] = random();
    }
    std::vector<dx::StretchTap> taps;
    for (int x = 0; x < width; ++x) {
      taps.push_back(dx::makeTap(static_cast<int>(random() % static_cast<unsigned>(width)),
                                 static_cast<int>(random() % 257)));
    }
    std::vector<std::uint32_t> plain(static_cast<std::size_t>(width));
    std::vector<std::uint32_t> fast(plain.size());
    dx::widenRowPlain(upper.data(), taps.data(), plain.data(), width);
    dx::widenRowSse2(upper.data(), taps.data(), fast.data(), width);
    EXPECT_EQ(fast, plain) << "widen, width " << width;
    for (int weight : {0, 1, 128, 255, 256}) {
      dx::mixRowsPlain(upper.data(), lower.data(), weight, plain.data(), width);
      dx::mixRowsSse2(upper.data(), lower.data(), weight, fast.data(), width);
      EXPECT_EQ(fast, plain) << "mix SSE2, width " << width << ", weight " << weight;
      if (dx::hasAvx2()) {
        dx::mixRowsAvx2(upper.data(), lower.data(), weight, fast.data(), width);
        EXPECT_EQ(fast, plain) << "mix AVX2, width " << width << ", weight " << weight;
      }
    }
  }
}

// The exact mix at a target pixel's centre: the texels around the matching source point,
// weighed by distance, the edge texels repeated beyond the edges.
double exactChannel(const std::vector<std::uint32_t>& texels, int w, int h, double u, double v, int shift) {
  u = std::clamp(u - 0.5, 0.0, w - 1.0);
  v = std::clamp(v - 0.5, 0.0, h - 1.0);
  const int x = std::min(static_cast<int>(u), w - 2);
  const int y = std::min(static_cast<int>(v), h - 2);
  const auto at = [&](int tx, int ty) { return static_cast<double>((texels[ty * w + tx] >> shift) & 0xFF); };
  const double fx = u - x;
  const double fy = v - y;
  return (at(x, y) * (1 - fx) + at(x + 1, y) * fx) * (1 - fy) + (at(x, y + 1) * (1 - fx) + at(x + 1, y + 1) * fx) * fy;
}

TEST(LinearStretch, APictureIsTheMixOfItsTexelsInsideTheClipOnly) {
  // A 3×2 picture of distinct colours, its part from (0.5, 0) to (3, 2) drawn on a 10×7
  // rectangle at (2.25, 1.5) of a 16×12 target, clipped to x < 11.
  const int w = 3;
  const int h = 2;
  std::vector<std::uint32_t> texels = {0x102030, 0xF0E0D0, 0x00FF00, 0xFF0000, 0x0000FF, 0x808080};
  const dx::FloatRect from{0.5f, 0.0f, 3.0f, 2.0f};
  const dx::FloatRect to{2.25f, 1.5f, 12.25f, 8.5f};
  constexpr std::uint32_t untouched = 0xAB000000;
  std::vector<std::uint32_t> target(16 * 12, untouched);
  dx::LinearStretch stretch;
  stretch.draw(dx::PixelPlane{texels.data(), w, h, w}, from, dx::PixelPlane{target.data(), 16, 12, 16}, to,
               dx::PixelArea{0, 0, 11, 12});

  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint32_t pixel = target[static_cast<std::size_t>(y) * 16 + x];
      const bool inside = x + 0.5 >= to.left && x + 0.5 < to.right && y + 0.5 >= to.top && y + 0.5 < to.bottom;
      if (!inside || x >= 11) {
        EXPECT_EQ(pixel, untouched) << "outside, at " << x << ", " << y;
        continue;
      }
      const double u = from.left + (x + 0.5 - to.left) * (from.right - from.left) / (to.right - to.left);
      const double v = from.top + (y + 0.5 - to.top) * (from.bottom - from.top) / (to.bottom - to.top);
      EXPECT_EQ(pixel >> 24, 0u);
      for (int shift : {0, 8, 16}) {
        const double exact = exactChannel(texels, w, h, u, v, shift);
        EXPECT_NEAR(static_cast<double>((pixel >> shift) & 0xFF), exact, 2.0) << "at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
