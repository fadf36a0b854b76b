// Hand-made PCX files for the tests, and decoding them from memory with readPcx.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "display/pcx.h"

struct PcxFields {
  int width = 1, height = 1, planes = 3, encoding = 1;
  int bytesPerLine = -1;  // -1: the width
  int bitsPerPixel = 8, manufacturer = 10, xmin = 0, ymin = 0;
};

inline std::vector<unsigned char> pcxFile(const PcxFields& f, const std::vector<int>& data = {}) {
  std::vector<unsigned char> file(128, 0);
  const int bytes[][2] = {{0, f.manufacturer}, {1, 5}, {2, f.encoding}, {3, f.bitsPerPixel}, {65, f.planes}};
  const int words[][2] = {{4, f.xmin}, {6, f.ymin}, {8, f.xmin + f.width - 1}, {10, f.ymin + f.height - 1},
                          {66, f.bytesPerLine < 0 ? f.width : f.bytesPerLine}};  // little-endian
  for (auto [at, value] : bytes) file[at] = static_cast<unsigned char>(value);
  for (auto [at, value] : words) {
    file[at] = static_cast<unsigned char>(value);
    file[at + 1] = static_cast<unsigned char>(value >> 8);
  }
  for (const int byte : data) file.push_back(static_cast<unsigned char>(byte));
  return file;
}

// readPcx over the bytes in memory.
inline void decodePcx(const std::vector<unsigned char>& file, void* out, std::size_t capacity,
                      unsigned char* palette = nullptr) {
  std::vector<unsigned char> buffer(file);
  buffer.push_back(0);  // a valid address even for an empty file; the stream ends before it
  std::FILE* stream = fmemopen(buffer.data(), file.size(), "rb");
  if (stream == nullptr) throw std::runtime_error("fmemopen failed");
  readPcx(stream, "TEST.PCX", out, capacity, palette);
  std::fclose(stream);
}

// A three-plane picture decoded into a buffer of exactly `pixels` pixels; throws when the
// loader writes past it.
inline std::vector<std::uint32_t> decodePixels(const std::vector<unsigned char>& file, std::size_t pixels) {
  std::vector<std::uint32_t> out(pixels + 16, 0xDEADBEEF);
  decodePcx(file, out.data(), pixels * 4);
  if (std::count(out.begin() + std::ssize(out) - 16, out.end(), 0xDEADBEEF) != 16) throw std::runtime_error("overrun");
  out.resize(pixels);
  return out;
}
