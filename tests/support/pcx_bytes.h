// Hand-made PCX files for the tests, and decoding them from memory with readPcx.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "display/pcx.h"

struct PcxFields {
  int width = 1;
  int height = 1;
  int planes = 3;
  int encoding = 1;
  int bytesPerLine = -1;  // -1: the width
  int bitsPerPixel = 8;
  int manufacturer = 10;
  int xmin = 0;
  int ymin = 0;
};

inline std::vector<unsigned char> pcxFile(const PcxFields& f, std::initializer_list<int> data = {}) {
  std::vector<unsigned char> file(128, 0);
  const auto put16 = [&](std::size_t at, int value) {
    file[at] = static_cast<unsigned char>(value);
    file[at + 1] = static_cast<unsigned char>(value >> 8);
  };
  file[0] = static_cast<unsigned char>(f.manufacturer);
  file[1] = 5;
  file[2] = static_cast<unsigned char>(f.encoding);
  file[3] = static_cast<unsigned char>(f.bitsPerPixel);
  put16(4, f.xmin);
  put16(6, f.ymin);
  put16(8, f.xmin + f.width - 1);
  put16(10, f.ymin + f.height - 1);
  file[65] = static_cast<unsigned char>(f.planes);
  put16(66, f.bytesPerLine < 0 ? f.width : f.bytesPerLine);
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

// A three-plane picture decoded into exactly width × height pixels.
inline std::vector<std::uint32_t> decodePixels(const std::vector<unsigned char>& file, std::size_t pixels) {
  std::vector<std::uint32_t> out(pixels, 0xDEADBEEF);
  decodePcx(file, out.data(), pixels * 4);
  return out;
}
