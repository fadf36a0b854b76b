#include "display/convert_rows.h"

// Built for AVX2 through a function attribute, so the rest of the program keeps to the
// base instruction set; the caller checks the processor first (base::hasAvx2).
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#define KESTRIX_AVX2 __attribute__((target("avx2")))

namespace {

// Eight pixels to their 16-bit words, one in each 32-bit lane, with two multiplies and no
// per-channel shifts. Masked to the bits the format keeps (keep), a pixel's blue and green
// bytes become one word B + greenWeight × G and its red byte another, R (vpmaddubsw);
// vpmaddwd then adds redWeight × R to the first. With blue's top five bits b, green's top
// bits g and red's top five bits r, that is 8b + 8(g << 5) + 8(r << 11) for 5-6-5
// (weights 64 and 2048) and 8b + 8(g << 5) + 8(r << 10) for 5-5-5 (32 and 1024): the
// word shifted left by three. No step overflows or saturates.
template <int keep, int greenWeight, int redWeight>
KESTRIX_AVX2 inline __m256i eightTo16(const std::uint32_t* source) {
  const __m256i pixels =
      _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(source)), _mm256_set1_epi32(keep));
  const __m256i blueGreenAndRed = _mm256_maddubs_epi16(pixels, _mm256_set1_epi32(1 << 16 | greenWeight << 8 | 1));
  return _mm256_srli_epi32(_mm256_madd_epi16(blueGreenAndRed, _mm256_set1_epi32(redWeight << 16 | 1)), 3);
}

// Sixteen pixels, 32 bytes. The pack works within 128-bit halves (it leaves pixels 0-3,
// 8-11, 4-7, 12-15); the permute puts the four 64-bit quarters back in order.
template <int keep, int greenWeight, int redWeight>
KESTRIX_AVX2 inline void sixteenTo16(const std::uint32_t* source, unsigned char* to) {
  const __m256i packed = _mm256_packus_epi32(eightTo16<keep, greenWeight, redWeight>(source),
                                             eightTo16<keep, greenWeight, redWeight>(source + 8));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm256_permute4x64_epi64(packed, 0xD8));
}

}  // namespace

KESTRIX_AVX2 void rowTo565Avx2(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 16 <= width; x += 16, source += 16, to += 32) sixteenTo16<0x00F8FCF8, 64, 2048>(source, to);
  rowTo565Plain(source, to, width - x);
}

KESTRIX_AVX2 void rowTo555Avx2(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 16 <= width; x += 16, source += 16, to += 32) sixteenTo16<0x00F8F8F8, 32, 1024>(source, to);
  rowTo555Plain(source, to, width - x);
}

#else  // not an x86 build with GCC or Clang

void rowTo565Avx2(const std::uint32_t* source, void* destination, int width) {
  rowTo565Plain(source, destination, width);
}
void rowTo555Avx2(const std::uint32_t* source, void* destination, int width) {
  rowTo555Plain(source, destination, width);
}

#endif
