// Error diffusion into the 3-3-2 palette: the worked examples, the pitch, the size limits,
// no error carried between calls, and both loops against a reference written here from
// the rules, over all 2^24 colours and random frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "display/convert.h"
#include "display/dither332_loops.h"

namespace {

// The rules as written: two rows of (red, green, blue) slots, pixel x in slot x + 1, the
// four shares with the below-right one set; slots 1 to width cleared per call and per row.
std::vector<unsigned char> referenceDither(const std::vector<std::uint32_t>& frame, int width, int height) {
  std::vector<unsigned char> out;
  std::vector<int> current(static_cast<std::size_t>(3 * (width + 2))), next(current);
  for (int y = 0; y < height; ++y) {
    std::fill(next.begin() + 3, next.end() - 3, 0);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = frame[static_cast<std::size_t>(y * width + x)];
      int index = 0;
      for (int c = 0; c < 3; ++c) {  // red, green, blue
        const auto at = [&](int slot) { return static_cast<std::size_t>(3 * slot + c); };
        const int sum = std::min(255, static_cast<int>((p >> (16 - 8 * c)) & 0xFF) + current[at(x + 1)]);
        const int level = sum & (c < 2 ? 0xE0 : 0xC0), e = sum - level;
        index |= level >> (3 * c);
        current[at(x + 2)] += (7 * e) >> 4;
        next[at(x)] += (3 * e) >> 4;
        next[at(x + 1)] += (5 * e) >> 4;
        next[at(x + 2)] = e - ((7 * e) >> 4) - ((3 * e) >> 4) - ((5 * e) >> 4);
      }
      out.push_back(static_cast<unsigned char>(index));
    }
    std::swap(current, next);
  }
  return out;
}

using DitherFunction = decltype(&ditherTo332);
const std::pair<const char*, DitherFunction> everyLoop[] = {{"ditherTo332", ditherTo332}, {"plain", ditherTo332Plain}};

std::vector<unsigned char> dither(DitherFunction d, const std::vector<std::uint32_t>& frame, int width, int height) {
  std::vector<unsigned char> out(static_cast<std::size_t>(width * height), 0xCD);
  d(frame.data(), out.data(), width, width, height);
  return out;
}

std::vector<std::uint32_t> uniform(std::uint32_t colour, int pixels) {
  return std::vector<std::uint32_t>(static_cast<std::size_t>(pixels), colour);
}

TEST(Dither332, WorkedExamples) {
  for (auto [name, d] : everyLoop) {
    SCOPED_TRACE(name);
    // The capped sums keep white at the top level although errors of 31, 31, 63 move on.
    EXPECT_EQ(dither(d, uniform(0x00FFFFFF, 65), 13, 5), std::vector<unsigned char>(65, 0xFF));
    EXPECT_EQ(dither(d, uniform(0x00000000, 65), 13, 5), std::vector<unsigned char>(65, 0x00));
    EXPECT_EQ(dither(d, uniform(0xFF808080, 65), 13, 5), std::vector<unsigned char>(65, 0x92));  // top byte ignored
    const auto grey = dither(d, uniform(0x007F7F7F, 16), 8, 2);
    EXPECT_EQ(grey[0], 0x6D);
    EXPECT_EQ(grey[1], 0x92);
    EXPECT_EQ(dither(d, uniform(0x00303030, 8), 4, 2),
              (std::vector<unsigned char>{0x24, 0x25, 0x24, 0x25, 0x24, 0x49, 0x49, 0x24}));
  }
}

TEST(Dither332, RowsStartAtTheirPitchAndWriteOnlyTheirWidth) {
  std::mt19937 rng(11);
  std::vector<std::uint32_t> frame(10 * 3);
  for (auto& p : frame) p = static_cast<std::uint32_t>(rng());
  auto expected = referenceDither(frame, 10, 3);
  for (int y = 2; y >= 0; --y) expected.insert(expected.begin() + 10 * (y + 1), 6, 0xCD);
  for (auto [name, d] : everyLoop) {
    std::vector<unsigned char> out(16 * 3, 0xCD);
    d(frame.data(), out.data(), 16, 10, 3);
    EXPECT_EQ(out, expected) << name;
  }
}

TEST(Dither332, SizesOutsideTheErrorRowsWriteNothing) {
  const auto frame = uniform(0x00FFFFFF, 2 * (ditherMaxWidth + 1));
  for (auto [name, d] : everyLoop) {
    for (auto [w, h] : {std::pair{ditherMaxWidth + 1, 2}, {100000, 1}, {0, 2}, {-1, 2}, {4, 0}, {4, -3}}) {
      std::vector<unsigned char> out(frame.size(), 0xCD);
      d(frame.data(), out.data(), ditherMaxWidth + 1, w, h);
      EXPECT_EQ(out, std::vector<unsigned char>(out.size(), 0xCD)) << name << " " << w << "x" << h;
    }
  }
}

TEST(Dither332, NoErrorIsCarriedFromOneCallToTheNext) {
  std::mt19937 rng(12);
  std::vector<std::uint32_t> wide(50 * 6), frame(30 * 9);
  for (auto& p : wide) p = static_cast<std::uint32_t>(rng());
  for (auto& p : frame) p = static_cast<std::uint32_t>(rng());
  const auto alone = referenceDither(frame, 30, 9);
  for (auto [name, d] : everyLoop) {
    dither(d, wide, 50, 6);  // leaves errors beyond the next frame's width
    EXPECT_EQ(dither(d, frame, 30, 9), alone) << name;
    dither(d, uniform(0x00FFFFFF, 30 * 9), 30, 9);
    EXPECT_EQ(dither(d, frame, 30, 9), alone) << name;
  }
}

TEST(Dither332, BothLoopsFollowTheRules) {
  // All 2^24 colours; in order neighbours differ in blue, shuffled rows bring every kind.
  std::vector<std::uint32_t> frame(std::size_t{1} << 24);
  for (std::uint32_t c = 0; c < frame.size(); ++c) frame[c] = c;
  std::mt19937 rng(13);
  for (std::size_t y = 1; y < 8192; y += 2) std::shuffle(frame.begin() + y * 2048, frame.begin() + (y + 1) * 2048, rng);
  const auto expected = referenceDither(frame, 2048, 8192);
  for (auto [name, d] : everyLoop) EXPECT_TRUE(dither(d, frame, 2048, 8192) == expected) << name;

  // Random frames of odd and even heights: noise, white, black and smooth stretches.
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 300; ++n) {
    const int width = n == 0 ? ditherMaxWidth : pick(1, 70), height = pick(1, 12);
    const auto base = static_cast<std::uint32_t>(rng());
    frame.resize(static_cast<std::size_t>(width * height));
    for (auto& p : frame) {
      const int kind = pick(0, 3);
      p = kind == 0   ? static_cast<std::uint32_t>(rng())
          : kind == 1 ? 0x00FFFFFF
          : kind == 2 ? 0
                      : base ^ (rng() & 0x0F0F0F);
    }
    const auto want = referenceDither(frame, width, height);
    for (auto [name, d] : everyLoop)
      ASSERT_EQ(dither(d, frame, width, height), want) << name << " " << width << "x" << height;
  }
}

}  // namespace
