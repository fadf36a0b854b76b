#include "display/convert_rows.h"

// Built for AVX-512BW through a function attribute, so the rest of the program keeps to the
// base instruction set; the caller checks the processor first (base::hasAvx512bw).
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

// GCC 12 takes the intrinsics' own undefined starting values for uninitialised reads.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define KESTRIX_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace {

// The AVX2 loop's two multiply-adds (convert_avx2.cpp) on sixteen pixels at once; the
// narrowing store (vpmovdw) keeps them in order, so no pack and no permute are needed.
template <int keep, int greenWeight, int redWeight>
KESTRIX_AVX512 inline void sixteenTo16(const std::uint32_t* source, unsigned char* to) {
  const __m512i pixels = _mm512_and_si512(_mm512_loadu_si512(source), _mm512_set1_epi32(keep));
  const __m512i blueGreenAndRed = _mm512_maddubs_epi16(pixels, _mm512_set1_epi32(1 << 16 | greenWeight << 8 | 1));
  const __m512i words =
      _mm512_srli_epi32(_mm512_madd_epi16(blueGreenAndRed, _mm512_set1_epi32(redWeight << 16 | 1)), 3);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm512_cvtepi32_epi16(words));
}

}  // namespace

KESTRIX_AVX512 void rowTo565Avx512(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 16 <= width; x += 16, source += 16, to += 32) sixteenTo16<0x00F8FCF8, 64, 2048>(source, to);
  rowTo565Plain(source, to, width - x);
}

KESTRIX_AVX512 void rowTo555Avx512(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 16 <= width; x += 16, source += 16, to += 32) sixteenTo16<0x00F8F8F8, 32, 1024>(source, to);
  rowTo555Plain(source, to, width - x);
}

#else  // not an x86 build with GCC or Clang

void rowTo565Avx512(const std::uint32_t* source, void* destination, int width) {
  rowTo565Plain(source, destination, width);
}
void rowTo555Avx512(const std::uint32_t* source, void* destination, int width) {
  rowTo555Plain(source, destination, width);
}

#endif
