// Writing PCX pictures, for the tools and the tests: three planes from 0x00RRGGBB pixels or
// one plane of palette indices with an optional 256-colour palette, run-length encoded or
// raw. Plane rows are padded to an even length, as the format asks; runs stay inside their
// plane row.
#pragma once

#include <cstdint>
#include <vector>

// The largest width and height the header's 16-bit fields hold.
constexpr int pcxMaxSide = 65536;

// The whole file. Throws std::invalid_argument for a width or height outside 1..65536.
std::vector<unsigned char> encodePcx3(const std::uint32_t* pixels, int width, int height, bool runLength);
// palette: 768 bytes (red, green, blue of 256 entries), written after a 0x0C marker; or null.
std::vector<unsigned char> encodePcx1(const std::uint8_t* indices, int width, int height, bool runLength,
                                      const unsigned char* palette);

// The run-length codes of one plane row: a byte below 0xC0 stands for itself; anything else
// is a count byte (0xC0 | 1..63) followed by the value.
void appendRunLength(const unsigned char* row, int length, std::vector<unsigned char>& out);
