// The built-in 8×8 font: printable ASCII, the Spanish letters áéíóúüñÁÉÍÓÚÜÑ and ¿¡, and a
// box for every other character.
#pragma once

#include <cstdint>

inline constexpr int glyphSize = 8;  // every glyph is a cell of 8 × 8 pixels

// The glyph of c as 8 rows, top first; bit n of a row is column n from the left. Column 7
// is always clear: the gap between characters.
const std::uint8_t* glyphRows(char32_t c);
