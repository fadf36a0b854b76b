#include "tools/pcx_writer/pcx_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

constexpr unsigned char runCode = 0xC0;
constexpr int longestRun = 63;

void put16(std::vector<unsigned char>& out, std::size_t at, int value) {
  out[at] = static_cast<unsigned char>(value & 0xFF);
  out[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

// Rows are padded to an even length where the 16-bit field can say so; 65536 is stored as 0,
// which readers take as "as wide as the picture".
int paddedLength(int width) { return (width & 1) != 0 && width < 0xFFFF ? width + 1 : width; }

std::vector<unsigned char> header(int width, int height, int planes, bool runLength) {
  if (width < 1 || width > pcxMaxSide || height < 1 || height > pcxMaxSide) {
    throw std::invalid_argument("a PCX picture is 1 to 65536 pixels wide and high, not " + std::to_string(width) +
                                "x" + std::to_string(height));
  }
  std::vector<unsigned char> out(128, 0);
  out[0] = 10;  // manufacturer
  out[1] = 5;   // version 3.0 and later: 8 bits per plane, palette at the end
  out[2] = runLength ? 1 : 0;
  out[3] = 8;
  put16(out, 8, width - 1);  // xmin and ymin stay 0
  put16(out, 10, height - 1);
  put16(out, 12, 72);  // resolution, dots per inch
  put16(out, 14, 72);
  out[65] = static_cast<unsigned char>(planes);
  put16(out, 66, paddedLength(width));
  put16(out, 68, 1);  // palette interpretation: colour or black and white
  return out;
}

void appendRow(const unsigned char* row, int length, bool runLength, std::vector<unsigned char>& out) {
  if (runLength) {
    appendRunLength(row, length, out);
  } else {
    out.insert(out.end(), row, row + length);
  }
}

}  // namespace

void appendRunLength(const unsigned char* row, int length, std::vector<unsigned char>& out) {
  for (int i = 0; i < length;) {
    const unsigned char value = row[i];
    int count = 1;
    while (i + count < length && count < longestRun && row[i + count] == value) ++count;
    if (count > 1 || value >= runCode) out.push_back(static_cast<unsigned char>(runCode | count));
    out.push_back(value);
    i += count;
  }
}

std::vector<unsigned char> encodePcx3(const std::uint32_t* pixels, int width, int height, bool runLength) {
  std::vector<unsigned char> out = header(width, height, 3, runLength);
  std::vector<unsigned char> plane(static_cast<std::size_t>(paddedLength(width)), 0);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int shift = 16; shift >= 0; shift -= 8) {
      for (int x = 0; x < width; ++x) plane[static_cast<std::size_t>(x)] = static_cast<unsigned char>(row[x] >> shift);
      appendRow(plane.data(), paddedLength(width), runLength, out);
    }
  }
  return out;
}

std::vector<unsigned char> encodePcx1(const std::uint8_t* indices, int width, int height, bool runLength,
                                      const unsigned char* palette) {
  std::vector<unsigned char> out = header(width, height, 1, runLength);
  std::vector<unsigned char> row(static_cast<std::size_t>(paddedLength(width)), 0);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = indices + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::copy(source, source + width, row.begin());
    appendRow(row.data(), paddedLength(width), runLength, out);
  }
  if (palette != nullptr) {
    out.push_back(0x0C);
    out.insert(out.end(), palette, palette + 768);
  }
  return out;
}
