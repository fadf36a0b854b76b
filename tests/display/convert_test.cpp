// Frame conversion: the bit layout of every format against references written from the
// format table, over all 2^24 colours; row tails and unaligned rows; the plumbing of
// convertFrame (depth, pitch, untouched gaps); and the 3-3-2 palette.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "display/convert.h"
#include "display/convert_rows.h"
#include "display/display.h"
#include "display/dither332_loops.h"

namespace {

std::uint32_t red(std::uint32_t p) { return (p >> 16) & 0xFF; }
std::uint32_t green(std::uint32_t p) { return (p >> 8) & 0xFF; }
std::uint32_t blue(std::uint32_t p) { return p & 0xFF; }

// The formats as the table states them, channel by channel.
std::uint16_t reference565(std::uint32_t p) {
  return static_cast<std::uint16_t>((red(p) >> 3) << 11 | (green(p) >> 2) << 5 | blue(p) >> 3);
}
std::uint16_t reference555(std::uint32_t p) {
  return static_cast<std::uint16_t>((red(p) >> 3) << 10 | (green(p) >> 3) << 5 | blue(p) >> 3);
}

struct RowFormat {
  const char* name;
  int bytesPerPixel;
  void (*reference)(std::uint32_t p, unsigned char* out);
  std::vector<std::pair<const char*, ConvertRow>> rows;  // every loop that writes this format
};

std::vector<RowFormat> rowFormats() {
  std::vector<RowFormat> formats = {
      {"24", 3,
       [](std::uint32_t p, unsigned char* out) {
         out[0] = static_cast<unsigned char>(blue(p));
         out[1] = static_cast<unsigned char>(green(p));
         out[2] = static_cast<unsigned char>(red(p));
       },
       {{"plain", rowTo24Plain}, {"sse2", rowTo24Sse2}}},
      {"565", 2,
       [](std::uint32_t p, unsigned char* out) {
         const std::uint16_t w = reference565(p);
         out[0] = static_cast<unsigned char>(w);
         out[1] = static_cast<unsigned char>(w >> 8);
       },
       {{"plain", rowTo565Plain}, {"sse2", rowTo565Sse2}}},
      {"555", 2,
       [](std::uint32_t p, unsigned char* out) {
         const std::uint16_t w = reference555(p);
         out[0] = static_cast<unsigned char>(w);
         out[1] = static_cast<unsigned char>(w >> 8);
       },
       {{"plain", rowTo555Plain}, {"sse2", rowTo555Sse2}}},
  };
  if (hasSsse3()) formats[0].rows.emplace_back("ssse3", rowTo24Ssse3);
  return formats;
}

constexpr unsigned char sentinel = 0xCD;

TEST(ConvertRows, EveryColourInEveryFormat) {
  constexpr int width = 4096;  // 4096 rows of 4096 make all 2^24 colours
  std::mt19937 rng(7);
  std::vector<std::uint32_t> source(width);
  // One byte in, so that no store is aligned; a sentinel after the row.
  std::vector<unsigned char> out(1 + width * 3 + 16);
  std::vector<unsigned char> expected(out.size());
  for (const RowFormat& format : rowFormats()) {
    for (int row = 0; row < 4096; ++row) {
      for (int i = 0; i < width; ++i) {
        // Every colour once; the top byte, which no format keeps, at random.
        source[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(row) << 12 | static_cast<std::uint32_t>(i) | rng() << 24;
      }
      std::fill(expected.begin(), expected.end(), sentinel);
      for (int i = 0; i < width; ++i) {
        format.reference(source[static_cast<std::size_t>(i)], &expected[static_cast<std::size_t>(1 + i * format.bytesPerPixel)]);
      }
      for (auto [name, convertRow] : format.rows) {
        std::fill(out.begin(), out.end(), sentinel);
        convertRow(source.data(), out.data() + 1, width);
        ASSERT_EQ(out, expected) << format.name << " " << name << ", colours from " << (row << 12);
      }
    }
  }
}

TEST(ConvertRows, RowsOfAnyWidthEndExactlyAtTheirLastPixel) {
  std::mt19937 rng(8);
  for (const RowFormat& format : rowFormats()) {
    for (int width = 0; width <= 40; ++width) {
      std::vector<std::uint32_t> source(static_cast<std::size_t>(width));
      for (auto& p : source) p = rng();
      std::vector<unsigned char> expected(static_cast<std::size_t>(width * format.bytesPerPixel + 8), sentinel);
      for (int i = 0; i < width; ++i) format.reference(source[static_cast<std::size_t>(i)], &expected[static_cast<std::size_t>(i * format.bytesPerPixel)]);
      for (auto [name, convertRow] : format.rows) {
        std::vector<unsigned char> out(expected.size(), sentinel);
        convertRow(source.data(), out.data(), width);
        EXPECT_EQ(out, expected) << format.name << " " << name << " width " << width;
      }
    }
  }
}

// Sets the frame size and format in the settings; gives the settings back afterwards.
class ConvertFrame : public ::testing::Test {
 protected:
  void SetUp() override { saved = displaySettings; }
  void TearDown() override { displaySettings = saved; }

  static std::vector<unsigned char> convert(const std::vector<std::uint32_t>& frame, int width, int height, int depth,
                                            int green6Bit, LONG pitch) {
    displaySettings.frameWidth = width;
    displaySettings.frameHeight = height;
    displaySettings.displayDepth = depth;
    displaySettings.green6Bit = green6Bit;
    std::vector<unsigned char> out(static_cast<std::size_t>(pitch * height), sentinel);
    convertFrame(frame.data(), out.data(), pitch);
    return out;
  }

  static std::uint16_t word16(const std::vector<unsigned char>& out, std::size_t at) {
    std::uint16_t w;
    std::memcpy(&w, &out[at], 2);
    return w;
  }
  static std::uint32_t word32(const std::vector<unsigned char>& out, std::size_t at) {
    std::uint32_t w;
    std::memcpy(&w, &out[at], 4);
    return w;
  }

  DisplaySettings saved;
};

TEST_F(ConvertFrame, SixteenBitExamples) {
  const std::vector<std::uint32_t> frame = {0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x000000FF, 0x00080408};
  auto out = convert(frame, 5, 1, 16, 1, 10);
  const std::uint16_t expected565[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0821};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(word16(out, 2 * i), expected565[i]) << i;
  out = convert(frame, 5, 1, 16, 0, 10);
  const std::uint16_t expected555[] = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(word16(out, 2 * i), expected555[i]) << i;
}

TEST_F(ConvertFrame, TwentyFourBitGroupOfFour) {
  const std::vector<std::uint32_t> frame = {0x00112233, 0x00445566, 0x00778899, 0xFFAABBCC};
  const auto out = convert(frame, 4, 1, 24, 1, 12);
  EXPECT_EQ(out, (std::vector<unsigned char>{0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA}));
  EXPECT_EQ(word32(out, 0), 0x66112233u);
  EXPECT_EQ(word32(out, 4), 0x88994455u);
  EXPECT_EQ(word32(out, 8), 0xAABBCC77u);
}

TEST_F(ConvertFrame, ThirtyTwoBitsCarryTheTopByte) {
  const std::vector<std::uint32_t> frame = {0xAB123456, 0x00FFFFFF, 0x7F000001, 0};
  for (LONG pitch : {16, 20}) {  // rows back to back, and with a gap
    const auto out = convert(frame, 2, 2, 32, 1, pitch);
    EXPECT_EQ(word32(out, 0), 0xAB123456u);
    EXPECT_EQ(word32(out, 4), 0x00FFFFFFu);
    EXPECT_EQ(word32(out, static_cast<std::size_t>(pitch)), 0x7F000001u);
    EXPECT_EQ(word32(out, static_cast<std::size_t>(pitch) + 4), 0u);
  }
}

// Every depth on an odd-sized frame whose rows are further apart than their length: each
// row at y × pitch, the gaps between rows untouched.
TEST_F(ConvertFrame, RowsGoToTheirPitchAndGapsStayUntouched) {
  constexpr int width = 37, height = 5;
  std::mt19937 rng(9);
  std::vector<std::uint32_t> frame(width * height);
  for (auto& p : frame) p = rng();
  struct Format {
    int depth, green6Bit, bytesPerPixel;
  };
  for (Format f : {Format{32, 1, 4}, Format{24, 1, 3}, Format{16, 1, 2}, Format{16, 0, 2}, Format{8, 1, 1}}) {
    const LONG pitch = width * f.bytesPerPixel + 7;
    const auto out = convert(frame, width, height, f.depth, f.green6Bit, pitch);
    std::vector<unsigned char> dithered(static_cast<std::size_t>(pitch * height), sentinel);
    ditherTo332Plain(frame.data(), dithered.data(), pitch, width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = frame[static_cast<std::size_t>(y * width + x)];
        const std::size_t at = static_cast<std::size_t>(y * pitch + x * f.bytesPerPixel);
        switch (f.depth) {
          case 32: ASSERT_EQ(word32(out, at), p); break;
          case 24: ASSERT_EQ(word32(out, at) & 0xFFFFFF, p & 0xFFFFFF); break;
          case 16: ASSERT_EQ(word16(out, at), f.green6Bit ? reference565(p) : reference555(p)); break;
          default: ASSERT_EQ(out[at], dithered[at]); break;
        }
      }
      for (LONG gap = width * f.bytesPerPixel; gap < pitch; ++gap) {
        ASSERT_EQ(out[static_cast<std::size_t>(y * pitch + gap)], sentinel) << "depth " << f.depth << " row " << y;
      }
    }
  }
}

TEST_F(ConvertFrame, OtherDepthsAndEmptyFramesWriteNothing) {
  const std::vector<std::uint32_t> frame(64, 0x00FFFFFF);
  const std::vector<unsigned char> untouchedSurface(32 * 2, sentinel);
  for (int depth : {0, 1, 4, 15, 31, 48, -8}) EXPECT_EQ(convert(frame, 8, 2, depth, 1, 32), untouchedSurface) << depth;
  displaySettings.frameWidth = 0;
  std::vector<unsigned char> out(64, sentinel);
  displaySettings.displayDepth = 32;
  convertFrame(frame.data(), out.data(), 32);
  EXPECT_EQ(out, untouchedSurface);
}

TEST(Palette332, EntryIShowsTheLevelsThatMapToIndexI) {
  PALETTEENTRY entries[256];
  std::memset(entries, 0x77, sizeof entries);
  fillPalette332(entries);
  struct Expected {
    int index;
    BYTE r, g, b;
  };
  for (Expected e : {Expected{0, 0, 0, 0}, {0x1C, 0, 224, 0}, {0x03, 0, 0, 192}, {0xE0, 224, 0, 0}, {0x92, 128, 128, 128},
                     {0xFF, 224, 224, 192}}) {
    EXPECT_EQ(entries[e.index].peRed, e.r) << e.index;
    EXPECT_EQ(entries[e.index].peGreen, e.g) << e.index;
    EXPECT_EQ(entries[e.index].peBlue, e.b) << e.index;
  }
  // Every entry: the dithering's quantised levels of its own index, and no flags.
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& e = entries[i];
    EXPECT_EQ(e.peFlags, 0) << i;
    EXPECT_EQ((e.peRed & 0xE0) | ((e.peGreen & 0xE0) >> 3) | ((e.peBlue & 0xC0) >> 6), i);
    EXPECT_EQ(e.peRed & 0x1F, 0);
    EXPECT_EQ(e.peGreen & 0x1F, 0);
    EXPECT_EQ(e.peBlue & 0x3F, 0);
  }
}

}  // namespace
