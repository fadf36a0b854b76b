#include "display/convert_rows.h"

// Built for SSSE3 through a function attribute, so the rest of the program keeps to the
// base instruction set; the caller checks the processor first (base::hasSsse3).
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <tmmintrin.h>

#define KESTRIX_SSSE3 __attribute__((target("ssse3")))

namespace {

// Byte shuffles (index −1 gives a zero byte) that pick the B G R bytes of four source
// pixels into their places in one of the three 16-byte output words of sixteen pixels.
KESTRIX_SSSE3 inline __m128i pick(__m128i pixels, char b0, char b1, char b2, char b3, char b4, char b5, char b6,
                                  char b7, char b8, char b9, char b10, char b11, char b12, char b13, char b14,
                                  char b15) {
  return _mm_shuffle_epi8(pixels, _mm_setr_epi8(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15));
}

}  // namespace

KESTRIX_SSSE3 void rowTo24Ssse3(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 16 <= width; x += 16, source += 16, to += 48) {
    const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4));
    const __m128i p2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 8));
    const __m128i p3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 12));
    // Pixels 0–4 and the blue of 5; the rest of 5 to the blue and green of 10; the rest.
    const __m128i out0 = _mm_or_si128(pick(p0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1),
                                      pick(p1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 4));
    const __m128i out1 = _mm_or_si128(pick(p1, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1, -1),
                                      pick(p2, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8, 9));
    const __m128i out2 = _mm_or_si128(pick(p2, 10, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1),
                                      pick(p3, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), out0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), out1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 32), out2);
  }
  rowTo24Plain(source, to, width - x);
}

#else  // not an x86 build with GCC or Clang

void rowTo24Ssse3(const std::uint32_t* source, void* destination, int width) {
  rowTo24Plain(source, destination, width);
}

#endif
