// The software Direct3D way's linear filter: the SIMD rows give the plain rows' bytes (the
// picture they make is checked through the layer, against the library's frames).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/directx/linear_stretch.h"

namespace {

namespace dx = platform::directx;

TEST(LinearStretch, TheSimdRowsGiveThePlainRowsBytes) {
  std::mt19937 random(7);
  for (int width : {1, 2, 3, 7, 8, 9, 64, 1021}) {
    std::vector<std::uint32_t> upper(static_cast<std::size_t>(width) + 1), lower(upper.size());
    for (std::size_t i = 0; i < upper.size(); ++i) upper[i] = random(), lower[i] = random();  // top bytes too
    std::vector<dx::StretchTap> taps;
    for (int x = 0; x < width; ++x) taps.push_back(dx::makeTap(static_cast<int>(random() % width), random() % 257));
    std::vector<std::uint32_t> plain(static_cast<std::size_t>(width)), fast(plain.size());
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

}  // namespace
