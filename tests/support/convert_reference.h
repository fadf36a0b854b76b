// The frame converters' rows against a reference written from the formats' bit layouts.
// Shared by the unit test and the Windows program's self-check (tests/wine).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/cpu_features.h"
#include "display/convert_rows.h"

namespace convertcheck {

constexpr unsigned char sentinel = 0xCD;

// Appends pixel p's bytes as the format lays them out: depth 32, 24, 565 or 555.
inline void appendReference(int format, std::uint32_t p, std::vector<unsigned char>& to) {
  const auto r = static_cast<unsigned char>(p >> 16), g = static_cast<unsigned char>(p >> 8),
             b = static_cast<unsigned char>(p);
  if (format == 32 || format == 24) to.insert(to.end(), {b, g, r});
  if (format == 32) to.push_back(static_cast<unsigned char>(p >> 24));
  if (format == 32 || format == 24) return;
  const unsigned w = format == 565 ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
  to.insert(to.end(), {static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8)});
}

struct RowLoop {
  const char* name;
  int format;
  ConvertRow convert;
  bool runs;  // the processor has its instructions
};
inline std::vector<RowLoop> rowLoops() {
  return {{"24 plain", 24, rowTo24Plain, true},     {"24 SSE2", 24, rowTo24Sse2, true},
          {"24 SSSE3", 24, rowTo24Ssse3, base::hasSsse3()}, {"565 plain", 565, rowTo565Plain, true},
          {"565 SSE2", 565, rowTo565Sse2, true},     {"565 AVX2", 565, rowTo565Avx2, base::hasAvx2()},
          {"565 AVX-512BW", 565, rowTo565Avx512, base::hasAvx512bw()}, {"555 plain", 555, rowTo555Plain, true},
          {"555 SSE2", 555, rowTo555Sse2, true},     {"555 AVX2", 555, rowTo555Avx2, base::hasAvx2()},
          {"555 AVX-512BW", 555, rowTo555Avx512, base::hasAvx512bw()}};
}

// Every loop that runs, over all 2^24 colours (random top bytes) and every width up to 40,
// writing one byte into a sentinel-filled buffer so that no store is aligned: the first loop
// and row whose bytes, or the bytes after them, differ from the reference; "" for none.
inline std::string firstFault() {
  std::mt19937 random(7);
  std::vector<std::uint32_t> source;
  std::vector<unsigned char> reference, out;
  for (std::uint32_t row = 0; row < 4096 + 41; ++row) {
    source.resize(row < 4096 ? 4096 : row - 4096);  // the full rows hold the colours row << 12 on
    for (std::uint32_t i = 0; i < source.size(); ++i) {
      const auto bits = static_cast<std::uint32_t>(random());
      source[i] = row < 4096 ? row << 12 | i | bits << 24 : bits;
    }
    for (const RowLoop& loop : rowLoops()) {
      if (!loop.runs) continue;
      if (loop.convert == rowTo24Plain || loop.convert == rowTo565Plain || loop.convert == rowTo555Plain) {
        reference.assign(1, sentinel);
        for (std::uint32_t p : source) appendReference(loop.format, p, reference);
        reference.resize(1 + source.size() * 3 + 16, sentinel);
      }
      out.assign(reference.size(), sentinel);
      loop.convert(source.data(), out.data() + 1, static_cast<int>(source.size()));
      if (out != reference) return std::string(loop.name) + ", row " + std::to_string(row);
    }
  }
  return "";
}

}  // namespace convertcheck
