// Frame conversion: every format's bit layout against references written from the format
// table, over all 2^24 colours and rows of every short width; convertFrame's choice of
// format, pitch and untouched gaps; and the 3-3-2 palette.
#include "display/convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "display/convert_rows.h"
#include "display/display.h"

namespace {

constexpr unsigned char sentinel = 0xCD;

// Appends the destination bytes of pixel p as the table gives them: depth 24, 565 or 555.
void appendReference(int format, std::uint32_t p, std::vector<unsigned char>& to) {
  const auto r = static_cast<unsigned char>(p >> 16), g = static_cast<unsigned char>(p >> 8),
             b = static_cast<unsigned char>(p);
  if (format == 24) {
    to.insert(to.end(), {b, g, r});
    return;
  }
  const unsigned w = format == 565 ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
  to.insert(to.end(), {static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8)});
}

// Every loop that writes a format and can run on this processor, grouped by format.
std::vector<std::pair<int, ConvertRow>> rowLoops() {
  std::vector<std::pair<int, ConvertRow>> loops = {{24, rowTo24Plain}, {24, rowTo24Sse2}};
  if (hasSsse3()) loops.emplace_back(24, rowTo24Ssse3);
  loops.insert(loops.end(), {{565, rowTo565Plain}, {565, rowTo565Sse2}});
  if (hasAvx2()) loops.emplace_back(565, rowTo565Avx2);
  loops.insert(loops.end(), {{555, rowTo555Plain}, {555, rowTo555Sse2}});
  if (hasAvx2()) loops.emplace_back(555, rowTo555Avx2);
  return loops;
}

// Converts a row with every loop, one byte into a sentinel-filled buffer (so no store is
// aligned), and compares it, and the bytes after it, with the reference, which is worked
// out once per format.
void expectRows(const std::vector<std::pair<int, ConvertRow>>& loops, const std::vector<std::uint32_t>& source) {
  const std::size_t size = 1 + source.size() * 3 + 16;
  std::vector<unsigned char> out(size), expected;
  int expectedFormat = 0;
  for (std::size_t l = 0; l < loops.size(); ++l) {
    const auto [format, convertRow] = loops[l];
    if (format != expectedFormat) {
      expected.assign(1, sentinel);
      for (std::uint32_t p : source) appendReference(format, p, expected);
      expected.resize(size, sentinel);
      expectedFormat = format;
    }
    std::fill(out.begin(), out.end(), sentinel);
    convertRow(source.data(), out.data() + 1, static_cast<int>(source.size()));
    ASSERT_EQ(out, expected) << "format " << format << " loop " << l << " width " << source.size() << " from "
                             << (source.empty() ? 0 : source[0]);
  }
}

TEST(ConvertRows, EveryColourAndEveryShortWidthInEveryFormat) {
  std::mt19937 rng(7);
  const auto loops = rowLoops();
  std::vector<std::uint32_t> source(4096);
  for (std::uint32_t start = 0; start < (1u << 24); start += 4096) {  // all 2^24 colours, random top bytes
    for (std::uint32_t i = 0; i < 4096; ++i) source[i] = (start + i) | static_cast<std::uint32_t>(rng()) << 24;
    ASSERT_NO_FATAL_FAILURE(expectRows(loops, source));
  }
  for (std::size_t width = 0; width <= 40; ++width) {
    source.resize(width);
    for (auto& p : source) p = static_cast<std::uint32_t>(rng());
    ASSERT_NO_FATAL_FAILURE(expectRows(loops, source));
  }
}

class ConvertFrame : public ::testing::Test {
 protected:
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
  template <typename Word>
  static Word word(const std::vector<unsigned char>& out, std::size_t at) {
    Word w;
    std::memcpy(&w, &out[at], sizeof w);
    return w;
  }

  DisplaySettings saved = displaySettings;
};

TEST_F(ConvertFrame, WorkedExamples) {
  const std::vector<std::uint32_t> colours = {0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x000000FF, 0x00080408};
  const std::uint16_t as565[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0821}, as555[] = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
  const auto out565 = convert(colours, 5, 1, 16, 1, 10), out555 = convert(colours, 5, 1, 16, 0, 10);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(word<std::uint16_t>(out565, 2 * i), as565[i]) << i;
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(word<std::uint16_t>(out555, 2 * i), as555[i]) << i;

  const auto out24 = convert({0x00112233, 0x00445566, 0x00778899, 0xFFAABBCC}, 4, 1, 24, 1, 12);
  EXPECT_EQ(out24,
            (std::vector<unsigned char>{0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA}));
  EXPECT_EQ(word<std::uint32_t>(out24, 0), 0x66112233u);
  EXPECT_EQ(word<std::uint32_t>(out24, 4), 0x88994455u);
  EXPECT_EQ(word<std::uint32_t>(out24, 8), 0xAABBCC77u);
}

// Every depth on an odd-sized frame: row y at y × pitch, with the top byte carried at 32
// bits and the block copy taken when rows are back to back; the gaps stay untouched.
TEST_F(ConvertFrame, RowsGoToTheirPitchInTheFormatOfTheDepth) {
  constexpr int width = 37, height = 5;
  std::mt19937 rng(9);
  std::vector<std::uint32_t> frame(width * height);
  for (auto& p : frame) p = static_cast<std::uint32_t>(rng());
  std::vector<unsigned char> dithered(static_cast<std::size_t>((width + 7) * height), sentinel);
  ditherTo332(frame.data(), dithered.data(), width + 7, width, height);
  const int formats[][4] = {{32, 1, 4, 0}, {32, 1, 4, 7}, {24, 1, 3, 7}, {16, 1, 2, 7}, {16, 0, 2, 7}, {8, 1, 1, 7}};
  for (auto [depth, green6Bit, bytes, gap] : formats) {
    const LONG pitch = width * bytes + gap;
    const auto out = convert(frame, width, height, depth, green6Bit, pitch);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = frame[static_cast<std::size_t>(y * width + x)];
        const auto at = static_cast<std::size_t>(y * pitch + x * bytes);
        const std::vector<unsigned char> got(&out[at], &out[at] + bytes);
        std::vector<unsigned char> want = {dithered[static_cast<std::size_t>(y * (width + 7) + x)]};
        if (depth == 32)
          want = {static_cast<unsigned char>(p), static_cast<unsigned char>(p >> 8),
                  static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 24)};
        if (depth == 24 || depth == 16) {
          want.clear();
          appendReference(depth == 24 ? 24 : green6Bit ? 565 : 555, p, want);
        }
        ASSERT_EQ(got, want) << "depth " << depth << " pixel " << x << "," << y;
      }
      for (LONG i = width * bytes; i < pitch; ++i)
        ASSERT_EQ(out[static_cast<std::size_t>(y * pitch + i)], sentinel) << depth;
    }
  }
  const std::vector<unsigned char> untouchedSurface(static_cast<std::size_t>(width * 4 * height), sentinel);
  for (int depth : {0, 1, 4, 15, 31, 48, -8})
    EXPECT_EQ(convert(frame, width, height, depth, 1, width * 4), untouchedSurface) << depth;
  EXPECT_EQ(convert(frame, 0, height, 32, 1, width * 4), untouchedSurface);  // an empty frame
}

TEST(Palette332, EntryIShowsTheLevelsThatMapToIndexI) {
  PALETTEENTRY entries[256];
  std::memset(entries, 0x77, sizeof entries);
  fillPalette332(entries);
  const int examples[][4] = {{0, 0, 0, 0},      {0x1C, 0, 224, 0},     {0x03, 0, 0, 192},
                             {0xE0, 224, 0, 0}, {0x92, 128, 128, 128}, {0xFF, 224, 224, 192}};
  for (auto [i, r, g, b] : examples) {
    EXPECT_EQ(entries[i].peRed, r) << i;
    EXPECT_EQ(entries[i].peGreen, g) << i;
    EXPECT_EQ(entries[i].peBlue, b) << i;
  }
  for (int i = 0; i < 256; ++i) {  // levels only, quantising back to i, and no flags
    const PALETTEENTRY& e = entries[i];
    EXPECT_EQ((e.peRed & 0x1F) | (e.peGreen & 0x1F) | (e.peBlue & 0x3F) | e.peFlags, 0) << i;
    EXPECT_EQ(e.peRed | e.peGreen >> 3 | e.peBlue >> 6, i);
  }
}

}  // namespace
