#include "display/convert_rows.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

// Four pixels to their twelve bytes B G R ..., in bytes 0–11 of the result (12–15 zero).
inline __m128i packFour24(__m128i pixels) {
  // Per 64-bit lane: the even pixel's three bytes stay in bytes 0–2, the odd pixel's move
  // down by one byte into bytes 3–5; the top bytes drop out.
  const __m128i evenPixel = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
  const __m128i oddPixel =
      _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000u), 0x0000FFFF, static_cast<int>(0xFF000000u));
  const __m128i six =
      _mm_or_si128(_mm_and_si128(pixels, evenPixel), _mm_and_si128(_mm_srli_epi64(pixels, 8), oddPixel));
  // The upper lane's six bytes (8–13) close up behind the lower lane's (0–5).
  const __m128i lowLane = _mm_set_epi32(0, 0, -1, -1);
  return _mm_or_si128(_mm_and_si128(six, lowLane), _mm_srli_si128(_mm_andnot_si128(lowLane, six), 2));
}

inline __m128i load4(const std::uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store16(unsigned char* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// A 16-bit pixel in each 32-bit lane. Masked to their top five bits, blue and red are the
// low and high 16-bit halves of the pixel, so one multiply-add puts red above blue
// (redWeight: 2048 for 5-6-5, 1024 for 5-5-5) in fewer steps than a shift and a mask each;
// green is shifted in between. The result is the pixel's word shifted left by three;
// moved to the top half and back with its sign, it narrows through the signed saturating
// pack unchanged.
template <int greenShift, int greenKeep, int redWeight>
inline __m128i to16(__m128i p) {
  const __m128i redBlue =
      _mm_madd_epi16(_mm_and_si128(p, _mm_set1_epi32(0x00F800F8)), _mm_set1_epi32(redWeight << 16 | 1));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(p, greenShift), _mm_set1_epi32(greenKeep));
  return _mm_srai_epi32(_mm_slli_epi32(_mm_or_si128(redBlue, green), 13), 16);
}

// Green's top six bits to bits 8-13, or its top five to bits 8-12.
inline __m128i to565(__m128i p) { return to16<2, 0x3F00, 2048>(p); }
inline __m128i to555(__m128i p) { return to16<3, 0x1F00, 1024>(p); }

}  // namespace

void rowTo24Sse2(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  // Sixteen pixels make 48 bytes: three 16-byte stores of the four groups run together.
  for (; x + 16 <= width; x += 16, source += 16, to += 48) {
    const __m128i g0 = packFour24(load4(source));
    const __m128i g1 = packFour24(load4(source + 4));
    const __m128i g2 = packFour24(load4(source + 8));
    const __m128i g3 = packFour24(load4(source + 12));
    store16(to, _mm_or_si128(g0, _mm_slli_si128(g1, 12)));
    store16(to + 16, _mm_or_si128(_mm_srli_si128(g1, 4), _mm_slli_si128(g2, 8)));
    store16(to + 32, _mm_or_si128(_mm_srli_si128(g2, 8), _mm_slli_si128(g3, 4)));
  }
  rowTo24Plain(source, to, width - x);
}

void rowTo565Sse2(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 8 <= width; x += 8, source += 8, to += 16) {
    store16(to, _mm_packs_epi32(to565(load4(source)), to565(load4(source + 4))));
  }
  rowTo565Plain(source, to, width - x);
}

void rowTo555Sse2(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 8 <= width; x += 8, source += 8, to += 16) {
    store16(to, _mm_packs_epi32(to555(load4(source)), to555(load4(source + 4))));
  }
  rowTo555Plain(source, to, width - x);
}

#else  // no SSE2: the plain loops

void rowTo24Sse2(const std::uint32_t* source, void* destination, int width) {
  rowTo24Plain(source, destination, width);
}
void rowTo565Sse2(const std::uint32_t* source, void* destination, int width) {
  rowTo565Plain(source, destination, width);
}
void rowTo555Sse2(const std::uint32_t* source, void* destination, int width) {
  rowTo555Plain(source, destination, width);
}

#endif
