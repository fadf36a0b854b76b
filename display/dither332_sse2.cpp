#include "display/dither332_loops.h"

#include "display/convert.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstddef>

// Along a row, the slot below pixel x gets its last share (below-left) at pixel x, so few
// shares are open at any time: the right share for the next pixel, and the below and
// below-right shares of the two slots after x. Each slot of the row below is stored once,
// complete, into the slot of the row above that pixel x - 1 has already read: one row of
// slots serves for both. The four channels of a pixel (blue, green, red, and the unused top
// byte) are 16-bit lanes of one register; the sums stay far below 2^15.

namespace {

// One slot per pixel plus the guards, four 16-bit lanes per slot.
std::int16_t errorRow[(ditherMaxWidth + 2) * 4];

inline __m128i loadSlot(const std::int16_t* slot) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(slot)); }
inline void storeSlot(std::int16_t* slot, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(slot), v); }

// (k × e) >> 4 in each lane, for k = 2^n ± 1.
inline __m128i timesSevenSixteenths(__m128i e) { return _mm_srli_epi16(_mm_sub_epi16(_mm_slli_epi16(e, 3), e), 4); }
inline __m128i timesThreeSixteenths(__m128i e) { return _mm_srli_epi16(_mm_add_epi16(_mm_slli_epi16(e, 1), e), 4); }
inline __m128i timesFiveSixteenths(__m128i e) { return _mm_srli_epi16(_mm_add_epi16(_mm_slli_epi16(e, 2), e), 4); }

}  // namespace

bool ditherTo332Sse2(const std::uint32_t* source, void* destination, LONG destinationPitch, int width, int height) {
  if (width < 1 || height < 1 || width > ditherMaxWidth) return true;  // nothing to write
  // Lanes, low to high: blue, green, red, top byte (which takes no part).
  const __m128i zero = _mm_setzero_si128();
  const __m128i cap = _mm_set1_epi16(255);
  const __m128i levelMask = _mm_set_epi16(0, 0, 0, 0, 0, 0xE0, 0xE0, 0xC0);
  const __m128i errorMask = _mm_set_epi16(0, 0, 0, 0, 0, 0x1F, 0x1F, 0x3F);  // the sum less its level
  // Red × 64 + green × 8 + blue is the palette index shifted left by 6.
  const __m128i indexWeights = _mm_set_epi16(0, 0, 0, 0, 0, 64, 8, 1);

  // The first row has no error carried into it.
  for (std::size_t i = 0; i < 4 * (static_cast<std::size_t>(width) + 2); ++i) errorRow[i] = 0;
  auto* out = static_cast<unsigned char*>(destination);
  for (int y = 0; y < height; ++y, source += width) {
    unsigned char* row = out + static_cast<std::ptrdiff_t>(y) * destinationPitch;
    __m128i right = zero;       // share for the next pixel of this row
    __m128i belowHere = zero;   // the slot below this pixel, without its below-left share
    __m128i belowRight = zero;  // the slot after that: one share so far
    std::int16_t* slot = errorRow;  // slot x: read for pixel x - 1, rewritten at pixel x
    for (int x = 0; x < width; ++x, slot += 4) {
      const __m128i pixel = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(source[x])), zero);
      const __m128i sum = _mm_min_epi16(_mm_add_epi16(_mm_add_epi16(pixel, loadSlot(slot + 4)), right), cap);
      const __m128i e = _mm_and_si128(sum, errorMask);
      const __m128i rightShare = timesSevenSixteenths(e);
      const __m128i belowLeftShare = timesThreeSixteenths(e);
      const __m128i belowShare = timesFiveSixteenths(e);
      storeSlot(slot, _mm_add_epi16(belowHere, belowLeftShare));
      belowHere = _mm_add_epi16(belowRight, belowShare);
      belowRight = _mm_sub_epi16(_mm_sub_epi16(_mm_sub_epi16(e, rightShare), belowLeftShare), belowShare);
      right = rightShare;
      const __m128i index = _mm_madd_epi16(_mm_and_si128(sum, levelMask), indexWeights);
      row[x] = static_cast<unsigned char>((_mm_cvtsi128_si32(index) + _mm_cvtsi128_si32(_mm_srli_si128(index, 4))) >> 6);
    }
    // slot is now slot width, below the last pixel. The guard after it is never read, so
    // the last below-right share has nowhere to go.
    storeSlot(slot, belowHere);
  }
  return true;
}

#else

bool ditherTo332Sse2(const std::uint32_t*, void*, LONG, int, int) { return false; }

#endif
