// Text in the frame: UTF-8 strings drawn with the built-in 8×8 font, one cell of 8 × 8
// pixels a character, and measured.
#pragma once

#include <cstdint>

// Text is UTF-8, as a source file holds it. The font draws printable ASCII, the Spanish
// letters áéíóúüñÁÉÍÓÚÜÑ and ¿¡; any other character, and each byte that is not part of a
// well-formed character (a Latin-1 "é" among them), is drawn as a box. '\n' starts a new
// line 8 pixels down, at x again.

// Draws text with its top-left corner at (x, y) into frame, frameWidth × frameHeight pixels
// of 0x00RRGGBB, row after row. The glyphs' pixels become colour; the pixels between them
// stay as they are. Only what falls inside the frame is drawn, wherever the text starts. A
// null frame or text, or a frame size below 1, draws nothing.
void drawText(std::uint32_t* frame, int frameWidth, int frameHeight, int x, int y, const char* text,
              std::uint32_t colour);

// What drawText covers: 8 pixels across for each character of the longest line, 8 down for
// each line (one more line than the text has newlines; an empty text is one empty line).
// A null text measures 0 × 0.
struct TextSize {
  int width;
  int height;
};
TextSize measureText(const char* text);
