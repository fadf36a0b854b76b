#include "display/text.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#include "display/font8x8.h"

namespace {

constexpr char32_t unknown = U'\uFFFD';  // drawn as the box

// How many continuation bytes follow a lead byte, or -1 for a byte that cannot start a
// character (a continuation byte, or one no well-formed UTF-8 holds).
int continuationBytes(unsigned char lead) {
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

// Reads the character at p and moves p past it. A sequence cut short counts as one unknown
// character; the terminating 0 is never a continuation byte, so nothing is read past it.
char32_t nextCharacter(const unsigned char*& p) {
  const unsigned char lead = *p++;
  const int count = continuationBytes(lead);
  if (count < 0) return unknown;
  char32_t c = count == 0 ? lead : lead & (0x3F >> count);
  for (int i = 0; i < count; ++i) {
    if ((*p & 0xC0) != 0x80) return unknown;
    c = c << 6 | (*p++ & 0x3F);
  }
  return c;
}

// One glyph with its top-left corner at (x, y), clipped to the frame. Positions are 64-bit:
// a long text far out cannot overflow them.
void drawGlyph(std::uint32_t* frame, int frameWidth, int frameHeight, std::int64_t x, std::int64_t y,
               const std::uint8_t* rows, std::uint32_t colour) {
  if (x >= frameWidth || y >= frameHeight || x + glyphSize <= 0 || y + glyphSize <= 0) return;
  for (int row = 0; row < glyphSize; ++row) {
    const std::int64_t fy = y + row;
    if (fy < 0 || fy >= frameHeight) continue;
    std::uint32_t* frameRow = frame + static_cast<std::ptrdiff_t>(fy) * frameWidth;
    for (int column = 0; column < glyphSize; ++column) {
      const std::int64_t fx = x + column;
      if ((rows[row] >> column & 1) != 0 && fx >= 0 && fx < frameWidth) frameRow[fx] = colour;
    }
  }
}

}  // namespace

void drawText(std::uint32_t* frame, int frameWidth, int frameHeight, int x, int y, const char* text,
              std::uint32_t colour) {
  if (frame == nullptr || text == nullptr || frameWidth < 1 || frameHeight < 1) return;
  std::int64_t penX = x, penY = y;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const char32_t c = nextCharacter(p);
    if (c == U'\n') {
      penX = x;
      penY += glyphSize;
      continue;
    }
    drawGlyph(frame, frameWidth, frameHeight, penX, penY, glyphRows(c), colour);
    penX += glyphSize;
  }
}

TextSize measureText(const char* text) {
  if (text == nullptr) return {0, 0};
  std::int64_t lines = 1, column = 0, widest = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    if (nextCharacter(p) == U'\n') {
      ++lines;
      column = 0;
    } else {
      widest = std::max(widest, ++column);
    }
  }
  // Saturated: a text of more than 268 million characters on a line measures INT_MAX.
  const auto pixels = [](std::int64_t cells) {
    return static_cast<int>(std::min<std::int64_t>(cells * glyphSize, INT_MAX));
  };
  return {pixels(widest), pixels(lines)};
}
