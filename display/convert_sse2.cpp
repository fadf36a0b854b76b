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

// The 16-bit words sit in 32-bit lanes; sign-extending them lets the signed saturating
// pack narrow them without change.
inline __m128i narrowWords(__m128i low4, __m128i high4) {
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(low4, 16), 16), _mm_srai_epi32(_mm_slli_epi32(high4, 16), 16));
}

inline __m128i to565(__m128i p) {
  const __m128i red = _mm_and_si128(_mm_srli_epi32(p, 8), _mm_set1_epi32(0xF800));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(p, 5), _mm_set1_epi32(0x07E0));
  const __m128i blue = _mm_and_si128(_mm_srli_epi32(p, 3), _mm_set1_epi32(0x001F));
  return _mm_or_si128(_mm_or_si128(red, green), blue);
}

inline __m128i to555(__m128i p) {
  const __m128i red = _mm_and_si128(_mm_srli_epi32(p, 9), _mm_set1_epi32(0x7C00));
  const __m128i green = _mm_and_si128(_mm_srli_epi32(p, 6), _mm_set1_epi32(0x03E0));
  const __m128i blue = _mm_and_si128(_mm_srli_epi32(p, 3), _mm_set1_epi32(0x001F));
  return _mm_or_si128(_mm_or_si128(red, green), blue);
}

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
    store16(to, narrowWords(to565(load4(source)), to565(load4(source + 4))));
  }
  rowTo565Plain(source, to, width - x);
}

void rowTo555Sse2(const std::uint32_t* source, void* destination, int width) {
  auto* to = static_cast<unsigned char*>(destination);
  int x = 0;
  for (; x + 8 <= width; x += 8, source += 8, to += 16) {
    store16(to, narrowWords(to555(load4(source)), to555(load4(source + 4))));
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
