// Frame conversion: every row loop against the formats' bit layouts over all 2^24 colours and
// every short width; convertFrame's format, pitch and untouched gaps; the 3-3-2 palette.
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

// Appends pixel p's bytes as the format lays them out: depth 32, 24, 565 or 555.
void appendReference(int format, std::uint32_t p, std::vector<unsigned char>& to) {
  const auto r = static_cast<unsigned char>(p >> 16), g = static_cast<unsigned char>(p >> 8),
             b = static_cast<unsigned char>(p);
  if (format == 32 || format == 24) to.insert(to.end(), {b, g, r});
  if (format == 32) to.push_back(static_cast<unsigned char>(p >> 24));
  if (format == 32 || format == 24) return;
  const unsigned w = format == 565 ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
  to.insert(to.end(), {static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8)});
}

// Converts a row with every loop (the plain one again where the processor lacks a loop's
// instructions), one byte into a sentinel-filled buffer so that no store is aligned, and
// compares it and the bytes after it with the reference.
void expectRows(const std::vector<std::uint32_t>& source) {
  const std::pair<int, ConvertRow> loops[] = {
      {24, rowTo24Plain},   {24, rowTo24Sse2},   {24, hasSsse3() ? rowTo24Ssse3 : rowTo24Plain},
      {565, rowTo565Plain}, {565, rowTo565Sse2}, {565, hasAvx2() ? rowTo565Avx2 : rowTo565Plain},
      {565, hasAvx512bw() ? rowTo565Avx512 : rowTo565Plain}, {555, rowTo555Plain}, {555, rowTo555Sse2},
      {555, hasAvx2() ? rowTo555Avx2 : rowTo555Plain}, {555, hasAvx512bw() ? rowTo555Avx512 : rowTo555Plain}};
  const std::size_t size = 1 + source.size() * 3 + 16;
  std::vector<unsigned char> out, expected;
  for (const auto& [format, convertRow] : loops) {
    if (expected.empty() || convertRow == rowTo565Plain || convertRow == rowTo555Plain) {
      expected.assign(1, sentinel);
      for (std::uint32_t p : source) appendReference(format, p, expected);
      expected.resize(size, sentinel);
    }
    out.assign(size, sentinel);
    convertRow(source.data(), out.data() + 1, static_cast<int>(source.size()));
    ASSERT_EQ(out, expected) << "format " << format << " width " << source.size() << " from "
                             << (source.empty() ? 0 : source[0]);
  }
}

TEST(ConvertRows, EveryColourAndEveryShortWidthInEveryFormat) {
  std::mt19937 rng(7);
  std::vector<std::uint32_t> source(4096);
  for (std::uint32_t start = 0; start < (1u << 24); start += 4096) {  // all 2^24 colours, random top bytes
    for (std::uint32_t i = 0; i < 4096; ++i) source[i] = (start + i) | static_cast<std::uint32_t>(rng()) << 24;
    ASSERT_NO_FATAL_FAILURE(expectRows(source));
  }
  for (std::size_t width = 0; width <= 40; ++width) {
    source.resize(width);
    for (auto& p : source) p = static_cast<std::uint32_t>(rng());
    ASSERT_NO_FATAL_FAILURE(expectRows(source));
  }
}

// Every depth on an odd-sized frame: row y at y × pitch, the top byte carried at 32 bits,
// the block copy taken when rows are back to back; the gaps stay untouched.
TEST(ConvertFrame, RowsGoToTheirPitchInTheFormatOfTheDepth) {
  const DisplaySettings saved = displaySettings;
  constexpr int width = 37, height = 5;
  std::vector<std::uint32_t> frame;
  for (int i = 0; i < width * height; ++i) frame.push_back(static_cast<std::uint32_t>(i) * 2654435761u);
  std::vector<unsigned char> dithered(static_cast<std::size_t>(width * height));
  ditherTo332(frame.data(), dithered.data(), width, width, height);
  const auto convert = [&](int w, int depth, int green6Bit, LONG pitch) {
    displaySettings.frameWidth = w;
    displaySettings.frameHeight = height;
    displaySettings.displayDepth = depth;
    displaySettings.green6Bit = green6Bit;
    std::vector<unsigned char> out(static_cast<std::size_t>(pitch * height), sentinel);
    convertFrame(frame.data(), out.data(), pitch);
    return out;
  };
  const int formats[][5] = {{32, 1, 4, 0, 32}, {32, 1, 4, 7, 32}, {24, 1, 3, 7, 24}, {16, 1, 2, 7, 565},
                            {16, 0, 2, 7, 555}, {8, 1, 1, 7, 8}};
  for (auto [depth, green6Bit, bytes, gap, format] : formats) {
    const LONG pitch = width * bytes + gap;
    std::vector<unsigned char> expected;
    for (int i = 0; i < width * height; ++i) {
      if (depth == 8) expected.push_back(dithered[i]);
      else appendReference(format, frame[i], expected);
      if (i % width == width - 1) expected.resize(expected.size() + static_cast<std::size_t>(gap), sentinel);
    }
    EXPECT_EQ(convert(width, depth, green6Bit, pitch), expected) << depth << " " << format;
  }
  const std::vector<unsigned char> untouched(static_cast<std::size_t>(width * 4 * height), sentinel);
  for (int depth : {0, 1, 4, 15, 31, 48, -8}) EXPECT_EQ(convert(width, depth, 1, width * 4), untouched) << depth;
  EXPECT_EQ(convert(0, 32, 1, width * 4), untouched);  // an empty frame
  displaySettings = saved;
}

// Entry i holds levels only (no low bits, no flags) that quantise back to i.
TEST(Palette332, EntryIShowsTheLevelsThatMapToIndexI) {
  PALETTEENTRY entries[256];
  std::memset(entries, 0x77, sizeof entries);
  fillPalette332(entries);
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& e = entries[i];
    EXPECT_EQ((e.peRed & 0x1F) | (e.peGreen & 0x1F) | (e.peBlue & 0x3F) | e.peFlags, 0) << i;
    EXPECT_EQ(e.peRed | e.peGreen >> 3 | e.peBlue >> 6, i);
  }
}

}  // namespace
