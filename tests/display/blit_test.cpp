// The blitter: sampling and clipping against the rule that every frame pixel shows what the
// unclipped drawing puts there, the modes' arithmetic, calls outside the supported sizes,
// and the fast paths against the plain loops.
#include "display/blit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "display/blit_ops.h"
#include "display/display.h"

namespace {

using BlitFunction = decltype(&blit);
// blit takes its fast paths where it can, blitPlain never: both must draw the same.
const std::pair<const char*, BlitFunction> everyPath[] = {{"blit", blit}, {"blitPlain", blitPlain}};
constexpr std::uint32_t untouched = 0x5A000000;
constexpr std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t minInt = std::numeric_limits<std::int32_t>::min();

// A source pixel that names its own column and row.
std::uint32_t label(std::int64_t column, std::int64_t row) {
  return 0x00800000u | static_cast<std::uint32_t>(row << 10 | column);
}

class Blit : public ::testing::Test {
 protected:
  void TearDown() override { displaySettings = saved; }

  static std::vector<std::uint32_t> frame() {
    return std::vector<std::uint32_t>(
        static_cast<std::size_t>(displaySettings.frameWidth * displaySettings.frameHeight), untouched);
  }

  // Draws a labelled image with mode 0; inside the target rectangle, target column j must
  // show source column (j × xStep) >> 16, and the same for rows; outside it, nothing.
  static void expectSampled(BlitFunction draw, int srcW, int srcH, int x, int y, int dstW, int dstH) {
    std::vector<std::uint32_t> image;
    for (int r = 0; r < srcH; ++r)
      for (int c = 0; c < srcW; ++c) image.push_back(label(c, r));
    auto f = frame();
    draw(image.data(), srcW, srcH, x, y, dstW, dstH, f.data(), blitCopy, 0);
    const std::int64_t xStep = std::int64_t{srcW} * 65536 / dstW, yStep = std::int64_t{srcH} * 65536 / dstH;
    for (int fy = 0; fy < displaySettings.frameHeight; ++fy) {
      for (int fx = 0; fx < displaySettings.frameWidth; ++fx) {
        const std::int64_t j = std::int64_t{fx} - x, i = std::int64_t{fy} - y;
        const bool inside = j >= 0 && j < dstW && i >= 0 && i < dstH;
        ASSERT_EQ(f[static_cast<std::size_t>(fy * displaySettings.frameWidth + fx)],
                  inside ? label((j * xStep) >> 16, (i * yStep) >> 16) : untouched)
            << srcW << "x" << srcH << " at " << x << "," << y << " as " << dstW << "x" << dstH << ": " << fx << ","
            << fy;
      }
    }
  }

  DisplaySettings saved = displaySettings;
};

TEST_F(Blit, EveryPixelShowsWhatTheUnclippedDrawingPutsThere) {
  for (auto [name, draw] : everyPath) {
    SCOPED_TRACE(name);
    expectSampled(draw, 16, 16, -8, 0, 32, 32);        // columns 0–23 show source columns 4–15
    expectSampled(draw, 8, 1, 10, 10, 3, 1);           // columns 0, 2 and 5 sampled
    expectSampled(draw, 320, 240, 0, 0, 160, 120);     // every second column of every second row
    expectSampled(draw, 16, 16, 0, -6, 32, 32);        // rows 0 and 1 show source row 3
    expectSampled(draw, 8, 8, -3, 0, 8, 8);            // clipped left at 1:1
    expectSampled(draw, 8, 8, 316, 236, 8, 8);         // clipped right and bottom
    expectSampled(draw, 100, 90, -50, -40, 420, 330);  // larger than the frame on all sides
    expectSampled(draw, 37, 29, -20, -15, 11, 41);     // shrunk across, stretched down
    expectSampled(draw, 3, 3, -3, -3, 9, 9);           // 3 × xStep = 65535: a hair short of column 1
    // Far outside, yet reaching into the frame: wider arithmetic draws them correctly.
    expectSampled(draw, 16, 16, -1'000'000, -2'000'000, 1'000'320, 2'000'240);
    expectSampled(draw, 32767, 1, -2'000'000'000, 5, 2'000'000'100, 1);
    expectSampled(draw, 3, 3, 0, 0, maxInt, 7);
  }
  displaySettings.frameWidth = 16;  // the stride and the clip follow the settings
  displaySettings.frameHeight = 8;
  for (auto [name, draw] : everyPath) expectSampled(draw, 8, 8, -4, 3, 24, 16);
  displaySettings.frameWidth = 1030;  // scaled spans around the fast path's column table
  displaySettings.frameHeight = 2;
  for (auto [name, draw] : everyPath)
    for (int w = 1022; w <= 1027; ++w) expectSampled(draw, 600, 1, 0, 0, w, 2);
}

// Wholly outside the frame, or outside the supported sizes: nothing is drawn, nothing read
// outside the 4×4 source, no division by zero and no overflow (see the sanitizer builds).
TEST_F(Blit, CallsWithNothingToDrawLeaveTheFrame) {
  const std::vector<std::uint32_t> image(16, 0x00FFFFFF);
  const std::int32_t cases[][6] = {// srcW, srcH, x, y, dstW, dstH
                                   {4, 4, -8, 0, 8, 8},          {4, 4, 320, 0, 8, 8},
                                   {4, 4, 0, -8, 8, 8},          {4, 4, 0, 240, 8, 8},
                                   {4, 4, 0, 0, 0, 4},           {4, 4, 0, 0, 4, 0},
                                   {4, 4, 0, 0, -4, 4},          {4, 4, 0, 0, 4, -1},
                                   {32768, 4, 0, 0, 4, 4},       {4, 32768, 0, 0, 4, 4},
                                   {maxInt, maxInt, 0, 0, 4, 4}, {0, 4, 0, 0, 4, 4},
                                   {4, -3, 0, 0, 4, 4},          {4, 4, -100000, 0, 16, 16},
                                   {4, 4, 0, -100000, 16, 16},   {4, 4, minInt, minInt, 16, 16},
                                   {4, 4, minInt, 0, maxInt, 4}, {4, 4, 0, minInt, 4, maxInt},
                                   {4, 4, maxInt, 0, maxInt, 4}, {4, 4, 0, maxInt, 4, maxInt}};
  for (const auto& c : cases) {
    for (auto [name, draw] : everyPath) {
      for (std::int32_t mode : {0, 1, 2, 3, 4}) {
        auto f = frame();
        draw(image.data(), c[0], c[1], c[2], c[3], c[4], c[5], f.data(), mode, 0x12345678);
        ASSERT_EQ(f, frame()) << name << " mode " << mode << ": " << c[0] << " " << c[1] << " " << c[2] << " " << c[3]
                              << " " << c[4] << " " << c[5];
      }
    }
  }
}

// Each case draws source pixel s onto destination pixel d, in 1:1 rows long enough for the
// four-at-a-time path and its tail, and in a half-scale drawing, on every path.
void expectMode(std::int32_t mode, std::uint32_t key, const std::vector<std::array<std::uint32_t, 3>>& cases) {
  std::vector<std::uint32_t> src, doubled, dst, expected;
  while (src.size() < 15) {
    for (auto [s, d, e] : cases) {
      src.push_back(s);
      doubled.insert(doubled.end(), {s, s});
      dst.push_back(d);
      expected.push_back(e);
    }
  }
  const int n = static_cast<int>(src.size());
  for (auto [name, draw] : everyPath) {
    for (bool scaled : {false, true}) {
      std::vector<std::uint32_t> f(320 * 240, untouched);
      std::copy(dst.begin(), dst.end(), f.begin());
      draw(scaled ? doubled.data() : src.data(), scaled ? 2 * n : n, 1, 0, 0, n, 1, f.data(), mode, key);
      EXPECT_EQ(std::vector<std::uint32_t>(f.begin(), f.begin() + n + 1),
                [&] {
                  auto e = expected;
                  e.push_back(untouched);
                  return e;
                }())
          << name << (scaled ? " scaled" : "") << " mode " << mode;
    }
  }
}

TEST_F(Blit, ModeArithmetic) {
  expectMode(blitCopy, 0, {{0x00123456, 0x00ABCDEF, 0x00123456}, {0, 7, 0}, {0xFF000001, 7, 0xFF000001}});
  // All 32 bits are compared with the key.
  expectMode(blitKeyed, 0,
             {{0, 0x00ABCDEF, 0x00ABCDEF}, {0x01000000, 0x00ABCDEF, 0x01000000}, {0x00123456, 1, 0x00123456}});
  expectMode(blitKeyed, 0x00FF00FF, {{0x00FF00FF, 0x00ABCDEF, 0x00ABCDEF}, {0, 5, 0}, {0x01FF00FF, 5, 0x01FF00FF}});
  // Each colour byte saturates on its own; the top byte is the source's.
  expectMode(blitAddSaturate, 0,
             {{0x00F08010, 0x00204020, 0x00FFC030},
              {0x000000A0, 0x0000FF80, 0x0000FFFF},
              {0x01000000, 0, 0x01000000},
              {0x7F000000, 0xAB000000, 0x7F000000}});
  // Carries run up through the channels into the top byte, and the sum wraps.
  expectMode(blitAddChannels, 0,
             {{0x000000A0, 0x0000FF80, 0x00010020},
              {1, 0x00FFFFFF, 0x01000000},
              {0x00F08010, 0x00204020, 0x0110C030},
              {0x01000000, 0x00ABCDEF, 0x00ABCDEF},
              {0x00FFFFFF, 0xFF000001, 0}});
  // 255 − d on the whole word where s is not zero, wrapping.
  expectMode(blitInvert, 0,
             {{1, 0, 0x000000FF},
              {0x00808080, 0x000000FF, 0},
              {0xFF000000, 0x00102030, 0xFFEFE0CF},
              {0, 0x00102030, 0x00102030}});
  for (std::int32_t mode : {5, -1, minInt}) expectMode(mode, 0, {{0x00123456, 0x00ABCDEF, 0x00ABCDEF}});
}

TEST_F(Blit, FastPathsDrawWhatThePlainLoopsDraw) {
  displaySettings.frameWidth = 64;
  displaySettings.frameHeight = 48;
  std::mt19937 rng(20240611);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<std::uint32_t> start = frame();
  for (auto& p : start) p = static_cast<std::uint32_t>(rng());
  for (int n = 0; n < 4000; ++n) {
    const int srcW = pick(1, 40), srcH = pick(1, 40);
    const int dstW = pick(0, 1) ? srcW : pick(1, 100), dstH = pick(0, 1) ? srcH : pick(1, 100);  // half at 1:1
    const int x = pick(-100, 80), y = pick(-100, 60), mode = pick(-1, 5);
    const std::uint32_t key = pick(0, 1) ? 0 : static_cast<std::uint32_t>(rng());
    std::vector<std::uint32_t> image(static_cast<std::size_t>(srcW * srcH));
    for (auto& p : image) {
      const int kind = pick(0, 3);  // the key, zero, a small value, anything
      p = kind == 0   ? key
          : kind == 1 ? 0
          : kind == 2 ? static_cast<std::uint32_t>(pick(0, 0x300))
                      : static_cast<std::uint32_t>(rng());
    }
    auto fast = start, plain = start;
    blit(image.data(), srcW, srcH, x, y, dstW, dstH, fast.data(), mode, key);
    blitPlain(image.data(), srcW, srcH, x, y, dstW, dstH, plain.data(), mode, key);
    ASSERT_EQ(fast, plain) << srcW << "x" << srcH << " at " << x << "," << y << " as " << dstW << "x" << dstH
                           << " mode " << mode;
  }
}

}  // namespace
