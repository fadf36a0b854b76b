// Reads the uncompressed 24- and 32-bit BMP files that SDL's dummy video driver saves of
// each presented window (SDL_VIDEO_DUMMY_SAVE_FRAMES), as 0x00RRGGBB pixels, top row first.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

struct BmpImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// False for anything but an uncompressed 24- or 32-bit picture.
inline bool readBmp(const std::string& path, BmpImage& image) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  auto number = [&bytes](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
    return value;
  };
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const std::uint32_t offset = number(10, 4);
  const auto width = static_cast<std::int32_t>(number(18, 4));
  const auto height = static_cast<std::int32_t>(number(22, 4));
  const std::uint32_t bits = number(28, 2);
  const std::uint32_t compression = number(30, 4);
  if (width <= 0 || height == 0 || (bits != 24 && bits != 32) || (compression != 0 && compression != 3)) return false;
  const int rows = height < 0 ? -height : height;
  const std::size_t pitch = (static_cast<std::size_t>(width) * bits / 8 + 3) / 4 * 4;
  if (bytes.size() < offset + pitch * rows) return false;
  image.width = width;
  image.height = rows;
  image.pixels.resize(static_cast<std::size_t>(width) * rows);
  for (int y = 0; y < rows; ++y) {
    const int stored = height > 0 ? rows - 1 - y : y;  // positive heights are stored bottom-up
    const std::size_t row = offset + pitch * stored;
    for (int x = 0; x < width; ++x) {
      const std::size_t at = row + static_cast<std::size_t>(x) * bits / 8;
      image.pixels[static_cast<std::size_t>(y) * width + x] = number(at, 3);  // blue, green, red
    }
  }
  return true;
}

}  // namespace testsupport
