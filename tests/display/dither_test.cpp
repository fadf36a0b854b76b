// Error diffusion into the 3-3-2 palette: the worked examples, the row pitch, the size
// limits, no error carried between calls, and both loops against a reference written
// here from the rules, over all 2^24 colours and random frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "display/convert.h"
#include "display/dither332_loops.h"

namespace {

// The rules as written: two rows of (red, green, blue) slots, pixel x in slot x + 1, the
// four shares, the below-right one set; slots 1 to width cleared per call and per row.
std::vector<unsigned char> referenceDither(const std::vector<std::uint32_t>& frame, int width, int height) {
  std::vector<unsigned char> out(static_cast<std::size_t>(width * height));
  const std::size_t slots = static_cast<std::size_t>(width) + 2;
  std::vector<int> current(slots * 3, 0), next(slots * 3, 0);
  for (int y = 0; y < height; ++y) {
    std::fill(next.begin() + 3, next.begin() + 3 * (width + 1), 0);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = frame[static_cast<std::size_t>(y * width + x)];
      const int channel[3] = {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                              static_cast<int>(p & 0xFF)};
      const int mask[3] = {0xE0, 0xE0, 0xC0};
      int level[3];
      for (int c = 0; c < 3; ++c) {
        const int sum = std::min(255, channel[c] + current[static_cast<std::size_t>(3 * (x + 1) + c)]);
        level[c] = sum & mask[c];
        const int e = sum - level[c];
        current[static_cast<std::size_t>(3 * (x + 2) + c)] += (7 * e) >> 4;
        next[static_cast<std::size_t>(3 * x + c)] += (3 * e) >> 4;
        next[static_cast<std::size_t>(3 * (x + 1) + c)] += (5 * e) >> 4;
        next[static_cast<std::size_t>(3 * (x + 2) + c)] = e - ((7 * e) >> 4) - ((3 * e) >> 4) - ((5 * e) >> 4);
      }
      out[static_cast<std::size_t>(y * width + x)] =
          static_cast<unsigned char>(level[0] | (level[1] >> 3) | (level[2] >> 6));
    }
    std::swap(current, next);
  }
  return out;
}

using DitherFunction = void (*)(const std::uint32_t*, void*, LONG, int, int);
const std::pair<const char*, DitherFunction> everyLoop[] = {{"ditherTo332", ditherTo332},
                                                           {"ditherTo332Plain", ditherTo332Plain}};

std::vector<unsigned char> dither(DitherFunction d, const std::vector<std::uint32_t>& frame, int width, int height) {
  std::vector<unsigned char> out(static_cast<std::size_t>(width * height), 0xCD);
  d(frame.data(), out.data(), width, width, height);
  return out;
}

std::vector<std::uint32_t> uniform(std::uint32_t colour, int width, int height) {
  return std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), colour);
}

TEST(Dither332, WorkedExamples) {
  for (auto [name, d] : everyLoop) {
    SCOPED_TRACE(name);
    // The capped sums keep white at the top level although errors of 31, 31, 63 move on.
    EXPECT_EQ(dither(d, uniform(0x00FFFFFF, 13, 5), 13, 5), std::vector<unsigned char>(65, 0xFF));
    EXPECT_EQ(dither(d, uniform(0x00000000, 13, 5), 13, 5), std::vector<unsigned char>(65, 0x00));
    EXPECT_EQ(dither(d, uniform(0x00808080, 13, 5), 13, 5), std::vector<unsigned char>(65, 0x92));
    // The top byte takes no part.
    EXPECT_EQ(dither(d, uniform(0xFF808080, 13, 5), 13, 5), std::vector<unsigned char>(65, 0x92));
    const auto grey = dither(d, uniform(0x007F7F7F, 8, 2), 8, 2);
    EXPECT_EQ(grey[0], 0x6D);
    EXPECT_EQ(grey[1], 0x92);
    EXPECT_EQ(dither(d, uniform(0x00303030, 4, 2), 4, 2),
              (std::vector<unsigned char>{0x24, 0x25, 0x24, 0x25, 0x24, 0x49, 0x49, 0x24}));
  }
}

TEST(Dither332, RowsStartAtTheirPitchAndTheGapsStayUntouched) {
  std::mt19937 rng(11);
  std::vector<std::uint32_t> frame(10 * 4);
  for (auto& p : frame) p = rng();
  const auto expected = referenceDither(frame, 10, 4);
  for (auto [name, d] : everyLoop) {
    std::vector<unsigned char> out(16 * 4, 0xCD);
    d(frame.data(), out.data(), 16, 10, 4);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 16; ++x) {
        const unsigned char want = x < 10 ? expected[static_cast<std::size_t>(y * 10 + x)] : 0xCD;
        EXPECT_EQ(out[static_cast<std::size_t>(y * 16 + x)], want) << name << " at " << x << "," << y;
      }
    }
  }
}

TEST(Dither332, SizesOutsideTheErrorRowsWriteNothing) {
  const auto frame = uniform(0x00FFFFFF, ditherMaxWidth + 1, 2);
  for (auto [name, d] : everyLoop) {
    for (auto [w, h] : {std::pair{ditherMaxWidth + 1, 2}, {100000, 1}, {0, 2}, {-1, 2}, {4, 0}, {4, -3}}) {
      std::vector<unsigned char> out(static_cast<std::size_t>(2 * (ditherMaxWidth + 1)), 0xCD);
      d(frame.data(), out.data(), ditherMaxWidth + 1, w, h);
      EXPECT_EQ(out, std::vector<unsigned char>(out.size(), 0xCD)) << name << " " << w << "x" << h;
    }
  }
}

TEST(Dither332, NoErrorIsCarriedFromOneCallToTheNext) {
  std::mt19937 rng(12);
  std::vector<std::uint32_t> first(50 * 6), second(30 * 9);
  for (auto& p : first) p = rng();
  for (auto& p : second) p = rng();
  const auto alone = referenceDither(second, 30, 9);
  for (auto [name, d] : everyLoop) {
    dither(d, first, 50, 6);  // wider: leaves errors beyond the second frame's width
    EXPECT_EQ(dither(d, second, 30, 9), alone) << name;
    dither(d, uniform(0x00FFFFFF, 30, 9), 30, 9);
    EXPECT_EQ(dither(d, second, 30, 9), alone) << name;
  }
}

TEST(Dither332, BothLoopsFollowTheRulesOnEveryColour) {
  constexpr int width = 2048, height = 8192;  // 2^24 pixels, every colour once
  std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) * height);
  for (std::uint32_t c = 0; c < frame.size(); ++c) frame[c] = c;
  // In order, neighbours differ in blue; shuffled rows bring every kind of neighbour.
  std::mt19937 rng(13);
  for (int y = 1; y < height; y += 2) {
    std::shuffle(frame.begin() + y * width, frame.begin() + (y + 1) * width, rng);
  }
  const auto expected = referenceDither(frame, width, height);
  for (auto [name, d] : everyLoop) EXPECT_TRUE(dither(d, frame, width, height) == expected) << name;
}

TEST(Dither332, BothLoopsFollowTheRulesOnRandomFrames) {
  std::mt19937 rng(14);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 300; ++n) {
    const int width = n == 0 ? ditherMaxWidth : pick(1, 70);
    const int height = pick(1, 12);
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(width * height));
    // Smooth stretches with noise, saturated and dark patches: every kind of carry.
    const std::uint32_t base = static_cast<std::uint32_t>(rng());
    for (auto& p : frame) {
      const int kind = pick(0, 3);
      p = kind == 0 ? static_cast<std::uint32_t>(rng()) : kind == 1 ? 0x00FFFFFF : kind == 2 ? 0 : base ^ (rng() & 0x0F0F0F);
    }
    const auto expected = referenceDither(frame, width, height);
    for (auto [name, d] : everyLoop) ASSERT_EQ(dither(d, frame, width, height), expected) << name << " " << width << "x" << height;
  }
}

}  // namespace
