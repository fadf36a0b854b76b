// Binary PPM (P6) pictures in and out of memory, for kestrix-pcx and the tests: the format
// that image editors and ImageMagick write for plain RGB.
#pragma once

#include <cstdint>
#include <vector>

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row-major
};

// Reads the first picture of a P6 file: comments in the header are skipped, samples of any
// maximum value (1 to 65535; two bytes each above 255) are scaled to 0..255. Throws
// std::runtime_error for anything else, when the samples are fewer than the size says, or
// when one is above the maximum value.
RgbPicture decodePpm(const std::vector<unsigned char>& bytes);

// A P6 file with maximum value 255.
std::vector<unsigned char> encodePpm(const RgbPicture& picture);
