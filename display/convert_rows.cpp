#include "display/convert_rows.h"

#include <bit>
#include <cstring>

// The 24- and 16-bit layouts are byte orders of little-endian words, as on every target.
static_assert(std::endian::native == std::endian::little);

namespace {

// Surface rows need not be aligned for the stores' width, so they go through memcpy.
inline void store32(unsigned char* to, std::uint32_t word) { std::memcpy(to, &word, sizeof word); }
inline void store16(unsigned char* to, std::uint16_t word) { std::memcpy(to, &word, sizeof word); }

}  // namespace

void rowTo32Plain(const std::uint32_t* source, void* destination, int width) {
  std::memcpy(destination, source, static_cast<std::size_t>(width) * 4);
}

// Groups of four pixels become three words: B1 R0 G0 B0, G2 B2 R1 G1, R3 G3 B3 R2 (most
// significant byte first). The last one to three pixels of a row that is not a multiple of
// four wide are written one by one in the same byte order.
void rowTo24Plain(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 4 <= width; x += 4, source += 4, to += 12) {
    const std::uint32_t p0 = source[0], p1 = source[1], p2 = source[2], p3 = source[3];
    store32(to, (p0 & 0x00FFFFFFu) | (p1 << 24));
    store32(to + 4, ((p1 >> 8) & 0x0000FFFFu) | (p2 << 16));
    store32(to + 8, ((p2 >> 16) & 0x000000FFu) | (p3 << 8));
  }
  for (; x < width; ++x, ++source, to += 3) {
    to[0] = static_cast<unsigned char>(*source);
    to[1] = static_cast<unsigned char>(*source >> 8);
    to[2] = static_cast<unsigned char>(*source >> 16);
  }
}

void rowTo565Plain(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  for (int x = 0; x < width; ++x, to += 2) {
    const std::uint32_t p = source[x];
    store16(to, static_cast<std::uint16_t>(((p >> 8) & 0xF800u) | ((p >> 5) & 0x07E0u) | ((p >> 3) & 0x001Fu)));
  }
}

void rowTo555Plain(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  for (int x = 0; x < width; ++x, to += 2) {
    const std::uint32_t p = source[x];
    store16(to, static_cast<std::uint16_t>(((p >> 9) & 0x7C00u) | ((p >> 6) & 0x03E0u) | ((p >> 3) & 0x001Fu)));
  }
}
