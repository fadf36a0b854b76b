// The blitter, also from a sprite sheet: sampling, clipping, refused sizes, the modes, fast paths against plain loops.
#include "display/blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "display/blit_ops.h"
#include "display/display.h"

namespace {

constexpr std::uint32_t untouched = 0x5A000000;
constexpr std::uint32_t outsideTheRectangle = 0x00DEAD00;

// blitRect on a sheet holding the picture at (3, 2), pitch srcX + srcW: reading outside the
// rectangle draws the sheet's colour. Refused sizes go as a sheet of their own.
void blitFromSheet(const std::uint32_t* src, std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y,
                   std::int32_t dstW, std::int32_t dstH, std::uint32_t* dst, std::int32_t mode, std::uint32_t key) {
  if (srcW < 1 || srcH < 1 || srcW > 32767 || srcH > 32767) {
    return blitRect(src, srcW, 0, 0, srcW, srcH, x, y, dstW, dstH, dst, mode, key);
  }
  const std::ptrdiff_t pitch = srcW + 3;
  std::vector<std::uint32_t> sheet(static_cast<std::size_t>(pitch * (srcH + 3)), outsideTheRectangle);
  for (std::ptrdiff_t row = 0; row < srcH; ++row) std::copy_n(src + row * srcW, srcW, &sheet[(row + 2) * pitch + 3]);
  blitRect(sheet.data(), srcW + 3, 3, 2, srcW, srcH, x, y, dstW, dstH, dst, mode, key);
}

using BlitFunction = decltype(&blit);
// blit takes its fast paths where it can, blitPlain never: all must draw the same.
const std::pair<const char*, BlitFunction> everyPath[] = {
    {"blit", blit}, {"blitPlain", blitPlain}, {"blitRect", blitFromSheet}};
constexpr std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t minInt = std::numeric_limits<std::int32_t>::min();

std::vector<std::uint32_t> frame() {
  return std::vector<std::uint32_t>(static_cast<std::size_t>(displaySettings.frameWidth * displaySettings.frameHeight),
                                    untouched);
}

// An image whose pixels name their column and row: target column j shows source column
// (j × xStep) >> 16, and so for rows; outside the target rectangle, nothing.
void expectSampled(int srcW, int srcH, std::int32_t x, std::int32_t y, std::int32_t dstW, std::int32_t dstH) {
  const auto label = [](std::int64_t column, std::int64_t row) {
    return 0x00800000u | static_cast<std::uint32_t>(row << 10 | column);
  };
  std::vector<std::uint32_t> image;
  for (int i = 0; i < srcW * srcH; ++i) image.push_back(label(i % srcW, i / srcW));
  const std::int64_t xStep = std::int64_t{srcW} * 65536 / dstW, yStep = std::int64_t{srcH} * 65536 / dstH;
  const int width = displaySettings.frameWidth, height = displaySettings.frameHeight;
  for (auto [name, draw] : everyPath) {
    auto f = frame();
    draw(image.data(), srcW, srcH, x, y, dstW, dstH, f.data(), blitCopy, 0);
    for (int fy = 0; fy < height; ++fy) {
      for (int fx = 0; fx < width; ++fx) {
        const std::int64_t j = std::int64_t{fx} - x, i = std::int64_t{fy} - y;
        const bool inside = j >= 0 && j < dstW && i >= 0 && i < dstH;
        ASSERT_EQ(f[static_cast<std::size_t>(fy * width + fx)],
                  inside ? label((j * xStep) >> 16, (i * yStep) >> 16) : untouched)
            << name << " " << srcW << "x" << srcH << " at " << x << "," << y << " as " << dstW << "x" << dstH << ": "
            << fx << "," << fy;
      }
    }
  }
}

TEST(Blit, EveryPixelShowsWhatTheUnclippedDrawingPutsThere) {
  const DisplaySettings saved = displaySettings;
  // Clipped on each side, scaled both ways, larger than the frame, and far outside yet
  // reaching into it, where only wider arithmetic works.
  const std::int32_t cases[][6] = {// srcW, srcH, x, y, dstW, dstH
                                   {16, 16, -8, 0, 32, 32}, {8, 1, 10, 10, 3, 1}, {320, 240, 0, 0, 160, 120},
                                   {16, 16, 0, -6, 32, 32}, {8, 8, -3, 0, 8, 8}, {8, 8, 316, 236, 8, 8},
                                   {100, 90, -50, -40, 420, 330}, {37, 29, -20, -15, 11, 41}, {3, 3, -3, -3, 9, 9},
                                   {16, 16, -1'000'000, -2'000'000, 1'000'320, 2'000'240},
                                   {32767, 1, -2'000'000'000, 5, 2'000'000'100, 1}, {3, 3, 0, 0, maxInt, 7}};
  for (const auto& c : cases) ASSERT_NO_FATAL_FAILURE(expectSampled(c[0], c[1], c[2], c[3], c[4], c[5]));
  displaySettings.frameWidth = 16;  // the stride and the clip follow the settings
  displaySettings.frameHeight = 8;
  expectSampled(8, 8, -4, 3, 24, 16);
  displaySettings.frameWidth = 1030;  // scaled spans around the fast path's column table
  displaySettings.frameHeight = 2;
  for (int w = 1022; w <= 1027; ++w) EXPECT_NO_FATAL_FAILURE(expectSampled(600, 2, 0, 0, w, 2));
  displaySettings = saved;
}

// Outside the frame or the supported sizes, or a rectangle leaving the 4 × 4 sheet: nothing
// drawn or read outside the source (the sanitizer builds watch).
TEST(Blit, CallsWithNothingToDrawLeaveTheFrame) {
  const std::vector<std::uint32_t> image(16, 0x00FFFFFF);
  const std::int32_t cases[][6] = {// srcW, srcH, x, y, dstW, dstH
      {4, 4, -8, 0, 8, 8}, {4, 4, 320, 0, 8, 8}, {4, 4, 0, -8, 8, 8}, {4, 4, 0, 240, 8, 8}, {4, 4, 0, 0, 0, 4},
      {4, 4, 0, 0, 4, 0}, {4, 4, 0, 0, -4, 4}, {4, 4, 0, 0, 4, -1}, {32768, 4, 0, 0, 4, 4}, {4, 32768, 0, 0, 4, 4},
      {maxInt, maxInt, 0, 0, 4, 4}, {0, 4, 0, 0, 4, 4}, {4, -3, 0, 0, 4, 4}, {4, 4, minInt, minInt, 16, 16},
      {4, 4, minInt, 0, maxInt, 4}, {4, 4, 0, minInt, 4, maxInt}, {4, 4, maxInt, 0, maxInt, 4}, {4, 4, 0, maxInt, 4, maxInt}};
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
  const std::int32_t rectangles[][3] = {{3, 0, 0}, {4, 1, 0}, {4, -1, 0}, {4, 0, -1}, {maxInt, maxInt, 0}, {-4, 0, 0}};
  for (const auto& [pitch, srcX, srcY] : rectangles) {
    auto f = frame();
    blitRect(image.data(), pitch, srcX, srcY, 4, 4, 0, 0, 4, 4, f.data(), blitCopy, 0);
    EXPECT_EQ(f, frame()) << pitch << " " << srcX << " " << srcY;
  }
}

// Source pixel s drawn over destination pixel d with mode and key.
TEST(Blit, ModeArithmetic) {
  const std::uint32_t cases[][5] = {  // mode, key, s, d, result
      {blitCopy, 0, 0x00123456, 0x00ABCDEF, 0x00123456}, {blitCopy, 0, 0, 7, 0},
      {blitKeyed, 0, 0, 0x00ABCDEF, 0x00ABCDEF}, {blitKeyed, 0, 0x01000000, 7, 0x01000000},  // all 32 bits compared
      {blitKeyed, 0x00FF00FF, 0x00FF00FF, 7, 7}, {blitKeyed, 0x00FF00FF, 0, 7, 0},
      // Each colour byte saturates alone; the top byte is the source's.
      {blitAddSaturate, 0, 0x00F08010, 0x00204020, 0x00FFC030},
      {blitAddSaturate, 0, 0x000000A0, 0x0000FF80, 0x0000FFFF},
      {blitAddSaturate, 0, 0x7F000000, 0xAB000000, 0x7F000000},
      // Carries run up into the top byte, and the sum wraps.
      {blitAddChannels, 0, 0x000000A0, 0x0000FF80, 0x00010020}, {blitAddChannels, 0, 1, 0x00FFFFFF, 0x01000000},
      {blitAddChannels, 0, 0x01000000, 0x00ABCDEF, 0x00ABCDEF}, {blitAddChannels, 0, 0x00FFFFFF, 0xFF000001, 0},
      // 255 − d on the whole word, wrapping, where s is not 0.
      {blitInvert, 0, 1, 0, 0x000000FF}, {blitInvert, 0, 0xFF000000, 0x00102030, 0xFFEFE0CF},
      {blitInvert, 0, 0, 0x00102030, 0x00102030}, {5, 0, 1, 7, 7}, {0xFFFFFFFF, 0, 1, 7, 7}, {0x80000000, 0, 1, 7, 7}};
  for (auto [mode, key, s, d, result] : cases) {
    for (auto [name, draw] : everyPath) {
      for (int srcW : {9, 18}) {  // 1:1 and scaled, over the fast paths' four-pixel lanes and their tail
        const std::vector<std::uint32_t> image(static_cast<std::size_t>(srcW), s);
        auto f = frame();
        std::fill_n(f.begin(), 9, d);
        draw(image.data(), srcW, 1, 0, 0, 9, 1, f.data(), static_cast<std::int32_t>(mode), key);
        EXPECT_EQ(std::count(f.begin(), f.begin() + 9, result), 9) << name << " mode " << mode << " s " << s;
      }
    }
  }
}

TEST(Blit, FastPathsDrawWhatThePlainLoopsDraw) {
  const DisplaySettings saved = displaySettings;
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
    for (auto& p : image) {  // the key, zero, a small value, anything
      const int kind = pick(0, 3);
      p = kind == 0   ? key
          : kind == 1 ? 0
          : kind == 2 ? static_cast<std::uint32_t>(pick(0, 0x300))
                      : static_cast<std::uint32_t>(rng());
    }
    auto fast = start, plain = start, sheet = start;
    blit(image.data(), srcW, srcH, x, y, dstW, dstH, fast.data(), mode, key);
    blitPlain(image.data(), srcW, srcH, x, y, dstW, dstH, plain.data(), mode, key);
    blitFromSheet(image.data(), srcW, srcH, x, y, dstW, dstH, sheet.data(), mode, key);
    EXPECT_TRUE(fast == plain && sheet == plain)
        << srcW << "x" << srcH << " at " << x << "," << y << " as " << dstW << "x" << dstH << " mode " << mode;
  }
  displaySettings = saved;
}

}  // namespace
