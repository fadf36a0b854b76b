// The blitter: scaled sampling, clipping on every edge, the five modes' arithmetic, calls
// outside the supported sizes, and the fast paths against the plain loops.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "display/blit.h"
#include "display/blit_ops.h"
#include "display/display.h"

namespace {

using BlitFunction = void (*)(const std::uint32_t*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                              std::int32_t, std::int32_t, std::uint32_t*, std::int32_t, std::uint32_t);

// blit takes its fast paths where it can; blitPlain never does. Both must draw the same.
const std::pair<const char*, BlitFunction> everyPath[] = {{"blit", blit}, {"blitPlain", blitPlain}};

constexpr std::uint32_t untouched = 0x5A000000;  // frame pixels no call should write

// A source pixel that names its own column and row.
std::uint32_t label(int column, int row) {
  return 0x00800000u | static_cast<std::uint32_t>(row) << 10 | static_cast<std::uint32_t>(column);
}

std::vector<std::uint32_t> labelledImage(int w, int h) {
  std::vector<std::uint32_t> image;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) image.push_back(label(c, r));
  }
  return image;
}

// Keeps the frame size in the settings, and gives it back after each test.
class Blit : public ::testing::Test {
 protected:
  void SetUp() override { saved = displaySettings; }
  void TearDown() override { displaySettings = saved; }

  static std::vector<std::uint32_t> frame() {
    return std::vector<std::uint32_t>(
        static_cast<std::size_t>(displaySettings.frameWidth) * static_cast<std::size_t>(displaySettings.frameHeight),
        untouched);
  }
  static std::uint32_t at(const std::vector<std::uint32_t>& f, int x, int y) {
    return f[static_cast<std::size_t>(y * displaySettings.frameWidth + x)];
  }

  // Draws a labelled image with mode 0 and checks every frame pixel: inside the target
  // rectangle, the source pixel that the unclipped drawing samples there, that is column
  // (j × xStep) >> 16 of target column j; outside it, nothing.
  static void expectSampledDrawing(BlitFunction draw, int srcW, int srcH, int x, int y, int dstW, int dstH) {
    const auto image = labelledImage(srcW, srcH);
    auto f = frame();
    draw(image.data(), srcW, srcH, x, y, dstW, dstH, f.data(), blitCopy, 0);
    const std::int64_t xStep = std::int64_t{srcW} * 65536 / dstW;
    const std::int64_t yStep = std::int64_t{srcH} * 65536 / dstH;
    for (int fy = 0; fy < displaySettings.frameHeight; ++fy) {
      for (int fx = 0; fx < displaySettings.frameWidth; ++fx) {
        const std::int64_t j = std::int64_t{fx} - x;
        const std::int64_t i = std::int64_t{fy} - y;
        const bool inside = j >= 0 && j < dstW && i >= 0 && i < dstH;
        const std::uint32_t expected =
            inside ? label(static_cast<int>((j * xStep) >> 16), static_cast<int>((i * yStep) >> 16)) : untouched;
        ASSERT_EQ(at(f, fx, fy), expected) << "frame pixel " << fx << "," << fy;
      }
    }
  }

  DisplaySettings saved;
};

TEST_F(Blit, WorkedExamplesOfScalingAndClipping) {
  for (auto [name, draw] : everyPath) {
    SCOPED_TRACE(name);
    // 16×16 at 32×32 from x = -8: frame columns 0–23 show source columns 4–15, two each.
    auto image = labelledImage(16, 16);
    auto f = frame();
    draw(image.data(), 16, 16, -8, 0, 32, 32, f.data(), blitCopy, 0);
    for (int fx = 0; fx < 24; ++fx) EXPECT_EQ(at(f, fx, 0), label(4 + fx / 2, 0)) << fx;
    EXPECT_EQ(at(f, 24, 0), untouched);
    EXPECT_EQ(at(f, 23, 31), label(15, 15));
    EXPECT_EQ(at(f, 0, 32), untouched);

    // 8 wide drawn 3 wide samples columns 0, 2 and 5.
    image = labelledImage(8, 1);
    f = frame();
    draw(image.data(), 8, 1, 10, 10, 3, 1, f.data(), blitCopy, 0);
    EXPECT_EQ(at(f, 10, 10), label(0, 0));
    EXPECT_EQ(at(f, 11, 10), label(2, 0));
    EXPECT_EQ(at(f, 12, 10), label(5, 0));
    EXPECT_EQ(at(f, 13, 10), untouched);

    // 16×16 at 32×32 from y = -6: rows 0 and 1 show source row 3, row 25 (the last) row 15.
    image = labelledImage(16, 16);
    f = frame();
    draw(image.data(), 16, 16, 0, -6, 32, 32, f.data(), blitCopy, 0);
    EXPECT_EQ(at(f, 0, 0), label(0, 3));
    EXPECT_EQ(at(f, 0, 1), label(0, 3));
    EXPECT_EQ(at(f, 0, 2), label(0, 4));
    EXPECT_EQ(at(f, 31, 25), label(15, 15));
    EXPECT_EQ(at(f, 0, 26), untouched);

    // An 8×8 block at (-3, 0): frame columns 0–4 receive source columns 3–7.
    image = labelledImage(8, 8);
    f = frame();
    draw(image.data(), 8, 8, -3, 0, 8, 8, f.data(), blitCopy, 0);
    for (int fx = 0; fx < 5; ++fx) EXPECT_EQ(at(f, fx, 7), label(3 + fx, 7));
    EXPECT_EQ(at(f, 5, 0), untouched);

    // An 8×8 block at (316, 236): source columns and rows 0–3 in the corner.
    f = frame();
    draw(image.data(), 8, 8, 316, 236, 8, 8, f.data(), blitCopy, 0);
    EXPECT_EQ(at(f, 316, 236), label(0, 0));
    EXPECT_EQ(at(f, 319, 239), label(3, 3));
    EXPECT_EQ(at(f, 315, 239), untouched);
  }
}

TEST_F(Blit, EveryPixelShowsWhatTheUnclippedDrawingPutsThere) {
  for (auto [name, draw] : everyPath) {
    SCOPED_TRACE(name);
    expectSampledDrawing(draw, 320, 240, 0, 0, 160, 120);   // every second column of every second row
    expectSampledDrawing(draw, 320, 240, 0, 0, 320, 240);   // the whole frame at 1:1
    expectSampledDrawing(draw, 100, 90, -50, -40, 420, 330);  // larger than the frame on all sides
    expectSampledDrawing(draw, 13, 7, 300, 230, 50, 21);    // over the right and bottom edges
    expectSampledDrawing(draw, 37, 29, -20, -15, 11, 41);   // shrunk across, stretched down
    expectSampledDrawing(draw, 5, 3, 100, 100, 320, 1);     // a 1-pixel-high band
    // Clipped at column and row 3, where 3 × xStep = 65535 is a hair short of source column 1.
    expectSampledDrawing(draw, 3, 3, -3, -3, 9, 9);
  }
}

TEST_F(Blit, RectanglesOutsideTheFrameDrawNothing) {
  const auto image = labelledImage(8, 8);
  struct Case {
    int x, y;
  };
  // Right edge at the left edge, left edge at the right edge, and the same vertically.
  for (Case c : {Case{-8, 0}, Case{-100, 50}, Case{320, 0}, Case{0, -8}, Case{50, 240}, Case{400, 300}}) {
    for (auto [name, draw] : everyPath) {
      auto f = frame();
      draw(image.data(), 8, 8, c.x, c.y, 8, 8, f.data(), blitCopy, 0);
      EXPECT_EQ(f, frame()) << name << " at " << c.x << "," << c.y;
    }
  }
}

TEST_F(Blit, StrideAndClipComeFromTheFrameSizeInTheSettings) {
  displaySettings.frameWidth = 16;
  displaySettings.frameHeight = 8;
  for (auto [name, draw] : everyPath) {
    SCOPED_TRACE(name);
    expectSampledDrawing(draw, 8, 8, 12, 6, 8, 8);
    expectSampledDrawing(draw, 8, 8, -4, -3, 24, 16);
  }
}

// One mode's cases, drawn as one row: each source pixel s onto destination pixel d.
struct ModeCase {
  std::uint32_t s, d, expected;
};

// Runs the cases through 1:1 rows long enough for the four-at-a-time path and its tail, and
// through a half-scale drawing, on every path.
void expectMode(std::int32_t mode, std::uint32_t key, const std::vector<ModeCase>& cases) {
  std::vector<ModeCase> row;
  while (row.size() < 15) row.insert(row.end(), cases.begin(), cases.end());
  const int n = static_cast<int>(row.size());
  std::vector<std::uint32_t> src, srcDoubled;
  for (const ModeCase& c : row) {
    src.push_back(c.s);
    srcDoubled.insert(srcDoubled.end(), {c.s, c.s});
  }
  for (auto [name, draw] : everyPath) {
    for (bool scaled : {false, true}) {
      std::vector<std::uint32_t> f(320 * 240, untouched);
      for (int i = 0; i < n; ++i) f[static_cast<std::size_t>(i)] = row[static_cast<std::size_t>(i)].d;
      if (scaled) {
        draw(srcDoubled.data(), 2 * n, 1, 0, 0, n, 1, f.data(), mode, key);
      } else {
        draw(src.data(), n, 1, 0, 0, n, 1, f.data(), mode, key);
      }
      for (int i = 0; i < n; ++i) {
        const ModeCase& c = row[static_cast<std::size_t>(i)];
        EXPECT_EQ(f[static_cast<std::size_t>(i)], c.expected)
            << name << (scaled ? " scaled" : "") << " mode " << mode << std::hex << " s=" << c.s << " d=" << c.d;
      }
      EXPECT_EQ(f[static_cast<std::size_t>(n)], untouched);
    }
  }
}

TEST_F(Blit, ModeArithmetic) {
  // 0: copy, top byte included.
  expectMode(blitCopy, 0, {{0x00123456, 0x00ABCDEF, 0x00123456}, {0, 0x00ABCDEF, 0}, {0xFF000001, 7, 0xFF000001}});
  // 1: all 32 bits are compared with the key.
  expectMode(blitKeyed, 0, {{0, 0x00ABCDEF, 0x00ABCDEF}, {0x01000000, 0x00ABCDEF, 0x01000000}, {0x00123456, 1, 0x00123456}});
  expectMode(blitKeyed, 0x00FF00FF, {{0x00FF00FF, 0x00ABCDEF, 0x00ABCDEF}, {0, 0x00ABCDEF, 0}, {0x01FF00FF, 5, 0x01FF00FF}});
  // 2: each colour byte saturates on its own; the top byte is the source's.
  expectMode(blitAddSaturate, 0,
             {{0x00F08010, 0x00204020, 0x00FFC030},
              {0x000000A0, 0x0000FF80, 0x0000FFFF},
              {0x01000000, 0x00000000, 0x01000000},
              {0x7F000000, 0xAB000000, 0x7F000000},
              {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF}});
  // 3: carries run up through the channels into the top byte, and the sum wraps.
  expectMode(blitAddChannels, 0,
             {{0x000000A0, 0x0000FF80, 0x00010020},
              {0x00000001, 0x00FFFFFF, 0x01000000},
              {0x00F08010, 0x00204020, 0x0110C030},
              {0x01000000, 0x00ABCDEF, 0x00ABCDEF},
              {0x00FFFFFF, 0xFF000001, 0x00000000}});
  // 4: 255 − d on the whole word where s is not zero, wrapping.
  expectMode(blitInvert, 0,
             {{1, 0x00000000, 0x000000FF},
              {0x00808080, 0x000000FF, 0x00000000},
              {0xFF000000, 0x00102030, 0xFFEFE0CF},
              {0, 0x00102030, 0x00102030}});
}

TEST_F(Blit, OtherModesDrawNothing) {
  const auto image = labelledImage(16, 16);
  for (std::int32_t mode : {5, -1, 1000, std::numeric_limits<std::int32_t>::min()}) {
    for (auto [name, draw] : everyPath) {
      for (int size : {16, 40}) {
        auto f = frame();
        draw(image.data(), 16, 16, 10, 10, size, size, f.data(), mode, 0);
        EXPECT_EQ(f, frame()) << name << " mode " << mode << " size " << size;
      }
    }
  }
}

// Calls outside the sizes the blitter supports draw nothing: no division by zero, no
// overflow, no access outside the source or the frame (checked by the sanitizer builds).
TEST_F(Blit, UnsupportedCallsDrawNothing) {
  constexpr std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t minInt = std::numeric_limits<std::int32_t>::min();
  const auto image = labelledImage(4, 4);  // far smaller than most calls claim: nothing may be read
  struct Case {
    std::int32_t srcW, srcH, x, y, dstW, dstH;
  };
  const Case cases[] = {
      {4, 4, 0, 0, 0, 4},            // target width 0
      {4, 4, 0, 0, 4, 0},            // target height 0
      {4, 4, 0, 0, -4, 4},           // negative target size
      {4, 4, 0, 0, 4, -1},
      {32768, 4, 0, 0, 4, 4},        // source sizes beyond 32767
      {4, 32768, 0, 0, 4, 4},
      {maxInt, maxInt, 0, 0, 4, 4},
      {0, 4, 0, 0, 4, 4},            // empty or negative source
      {4, -3, 0, 0, 4, 4},
      {4, 4, -100000, 0, 16, 16},    // -x × xStep beyond 32 bits, wholly left of the frame
      {4, 4, 0, -100000, 16, 16},
      {4, 4, minInt, minInt, 16, 16},
      {4, 4, minInt, 0, maxInt, 4},  // right edge at -1
      {4, 4, 0, minInt, 4, maxInt},
      {4, 4, maxInt, 0, maxInt, 4},  // x + dstW beyond 32 bits
      {4, 4, 0, maxInt, 4, maxInt},
  };
  for (const Case& c : cases) {
    for (auto [name, draw] : everyPath) {
      for (std::int32_t mode = 0; mode <= 4; ++mode) {
        auto f = frame();
        draw(image.data(), c.srcW, c.srcH, c.x, c.y, c.dstW, c.dstH, f.data(), mode, 0);
        EXPECT_EQ(f, frame()) << name << " mode " << mode << ": " << c.srcW << "x" << c.srcH << " at " << c.x << ","
                              << c.y << " as " << c.dstW << "x" << c.dstH;
      }
    }
  }
}

// Far-out positions whose visible part is still in the frame draw correctly.
TEST_F(Blit, HugeTargetsReachingIntoTheFrameDrawTheirVisiblePart) {
  for (auto [name, draw] : everyPath) {
    SCOPED_TRACE(name);
    expectSampledDrawing(draw, 16, 16, -1'000'000, -2'000'000, 1'000'320, 2'000'240);
    expectSampledDrawing(draw, 32767, 1, -2'000'000'000, 5, 2'000'000'100, 1);
    expectSampledDrawing(draw, 3, 3, 0, 0, std::numeric_limits<std::int32_t>::max(), 7);
  }
}

// Scaled spans up to the column table's size take the fast path, wider ones the plain loop.
TEST_F(Blit, ScaledSpansAroundTheColumnTableSize) {
  displaySettings.frameWidth = 1030;
  displaySettings.frameHeight = 2;
  for (auto [name, draw] : everyPath) {
    SCOPED_TRACE(name);
    for (int w = 1022; w <= 1027; ++w) expectSampledDrawing(draw, 600, 1, 0, 0, w, 2);
  }
}

// The fast paths against the plain loops, on random calls over a random frame.
TEST_F(Blit, FastPathsDrawWhatThePlainLoopsDraw) {
  displaySettings.frameWidth = 64;
  displaySettings.frameHeight = 48;
  std::mt19937 rng(20240611);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<std::uint32_t> start = frame();
  for (auto& p : start) p = static_cast<std::uint32_t>(rng());
  for (int n = 0; n < 4000; ++n) {
    const int srcW = uniform(1, 40);
    const int srcH = uniform(1, 40);
    // Half the calls at 1:1 across, where the four-at-a-time path runs.
    const int dstW = uniform(0, 1) == 0 ? srcW : uniform(1, 100);
    const int dstH = uniform(0, 1) == 0 ? srcH : uniform(1, 100);
    const int x = uniform(-100, 80);
    const int y = uniform(-100, 60);
    const std::int32_t mode = uniform(-1, 5);
    const std::uint32_t key = uniform(0, 1) == 0 ? 0 : static_cast<std::uint32_t>(rng());
    std::vector<std::uint32_t> image(static_cast<std::size_t>(srcW * srcH));
    for (auto& p : image) {
      const int kind = uniform(0, 3);  // the key, zero, a small value, anything
      p = kind == 0 ? key : kind == 1 ? 0 : kind == 2 ? static_cast<std::uint32_t>(uniform(0, 0x300)) : static_cast<std::uint32_t>(rng());
    }
    auto fast = start;
    auto plain = start;
    blit(image.data(), srcW, srcH, x, y, dstW, dstH, fast.data(), mode, key);
    blitPlain(image.data(), srcW, srcH, x, y, dstW, dstH, plain.data(), mode, key);
    ASSERT_EQ(fast, plain) << "call " << n << ": " << srcW << "x" << srcH << " at " << x << "," << y << " as " << dstW
                           << "x" << dstH << " mode " << mode;
  }
}

}  // namespace
