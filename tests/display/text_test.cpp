// Text: glyphs in 8 × 8 cells, clipped at the frame; UTF-8 decoding; the measure of a text.
#include "display/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string_view>
#include <vector>

#include "display/font8x8.h"

namespace {

constexpr int width = 24, height = 20;
constexpr std::uint32_t ground = 0x00102030, ink = 0x00FFEE00;
// The frame, and a cell's height more below it that must stay untouched.
const std::vector<std::uint32_t> untouched(width * (height + 8), ground);

// Character k of line l in the cell at (x + 8k, y + 8l), its glyph's pixels inked inside the frame.
std::vector<std::uint32_t> expected(std::u32string_view glyphs, std::int64_t x, std::int64_t y) {
  std::vector<std::uint32_t> frame = untouched;
  std::int64_t cellX = x, cellY = y;
  for (char32_t c : glyphs) {
    if (c == U'\n') {
      cellX = x, cellY += 8;
      continue;
    }
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 8; ++column) {
        const std::int64_t fx = cellX + column, fy = cellY + row;
        const bool inside = fx >= 0 && fx < width && fy >= 0 && fy < height;
        if (inside && (glyphRows(c)[row] >> column & 1) != 0) frame[fy * width + fx] = ink;
      }
    }
    cellX += 8;
  }
  return frame;
}

TEST(Text, CharactersLandInTheirCellsClippedAtTheFrame) {
  const struct { const char* text; int x, y; std::u32string_view glyphs; TextSize size; } cases[] = {
      {"Az", 3, 2, U"Az", {16, 8}}, {"A\nbc\n", 1, 1, U"A\nbc\n", {16, 24}},  // a newline returns to x
      {"AB", -5, -3, U"AB", {16, 8}}, {"XY\nZ", 20, 15, U"XY\nZ", {16, 16}},   // clipped on all sides
      {"WWWWWW", -41, 0, U"WWWWWW", {48, 8}}, {"W\nW", INT_MIN, INT_MAX, U"", {8, 16}}, {"", 0, 0, U"", {0, 8}},
      {"\xC3\xA1\xC3\x91\xC2\xBF\xC2\xA1", 0, 0, U"\u00E1\u00D1\u00BF\u00A1", {32, 8}},  // áÑ¿¡ in UTF-8
      // One box per character the font lacks: a Latin-1 é, the euro sign, an emoji, a tab.
      {"\xE9t\xE2\x82\xAC\n\xF0\x9F\x98\x80\t", 0, 0, U"\uFFFDt\uFFFD\n\uFFFD\uFFFD", {24, 16}},
      // Bytes that form no character: one box for a sequence cut short (at the end too), one
      // for each stray continuation byte or overlong lead.
      {"\xE2\x82!\xC3", 0, 0, U"\uFFFD!\uFFFD", {24, 8}}, {"\x80\xC0\xAF", 0, 0, U"\uFFFD\uFFFD\uFFFD", {24, 8}}};
  for (const auto& c : cases) {
    std::vector<std::uint32_t> frame = untouched;
    drawText(frame.data(), width, height, c.x, c.y, c.text, ink);
    EXPECT_EQ(frame, expected(c.glyphs, c.x, c.y)) << c.text << " at " << c.x << "," << c.y;
    const TextSize size = measureText(c.text);
    EXPECT_TRUE(size.width == c.size.width && size.height == c.size.height) << c.text;
  }
  std::vector<std::uint32_t> frame = untouched;
  for (auto [w, h] : {std::pair{0, height}, {width, 0}, {-1, -1}}) drawText(frame.data(), w, h, 0, 0, "W", ink);
  drawText(frame.data(), width, height, 0, 0, nullptr, ink);
  EXPECT_EQ(frame, untouched);
  EXPECT_TRUE(measureText(nullptr).width == 0 && measureText(nullptr).height == 0);
}

// The glyphs stand the right way round: 'L' has its stem on the left and its foot at the bottom.
TEST(Text, GlyphsAreUpright) {
  const std::uint8_t* l = glyphRows(U'L');
  EXPECT_TRUE((l[0] & 0x02) != 0 && (l[0] & 0x20) == 0 && (l[6] & 0x20) != 0 && l[7] == 0);
}

}  // namespace
