#include "display/convert.h"
#include "display/dither332_loops.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstddef>

// Along a row, the slot below pixel x gets its last share (below-left) at pixel x, so few
// shares are open at any time: the right share for the next pixel, and the below and
// below-right shares of the two slots after x. Those stay in registers; each slot of the
// row below is complete when it leaves them. The four channels of a pixel (blue, green,
// red, and the unused top byte) are 16-bit lanes of one register; the sums stay far below
// 2^15.
//
// One pixel's error feeds the next pixel's sum, a chain of dependent steps that sets the
// pace of a row. Rows are therefore done in pairs, the lower one pixel behind the upper: a
// slot that the upper row completes goes straight to the lower-row pixel that reads it, and
// the two chains run side by side. Only the lower row's slots are stored, in the one row
// of slots, for the next pair to read.

namespace {

// One slot per pixel plus the guards, four 16-bit lanes per slot.
std::int16_t errorRow[(ditherMaxWidth + 2) * 4];

inline __m128i loadSlot(const std::int16_t* slot) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(slot)); }
inline void storeSlot(std::int16_t* slot, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(slot), v); }

// (k × e) >> 4 in each lane, for k = 2^n ± 1.
inline __m128i timesSevenSixteenths(__m128i e) { return _mm_srli_epi16(_mm_sub_epi16(_mm_slli_epi16(e, 3), e), 4); }
inline __m128i timesThreeSixteenths(__m128i e) { return _mm_srli_epi16(_mm_add_epi16(_mm_slli_epi16(e, 1), e), 4); }
inline __m128i timesFiveSixteenths(__m128i e) { return _mm_srli_epi16(_mm_add_epi16(_mm_slli_epi16(e, 2), e), 4); }

// The open shares of one row.
struct RowCarry {
  __m128i right = _mm_setzero_si128();       // for the next pixel of this row
  __m128i belowHere = _mm_setzero_si128();   // the slot below this pixel, without its below-left share
  __m128i belowRight = _mm_setzero_si128();  // the slot after that: one share so far
};

// Dithers one pixel, given the error carried into it from above; writes its palette index
// and returns the completed slot below the previous pixel.
inline __m128i ditherPixel(RowCarry& carry, std::uint32_t pixel, __m128i above, unsigned char& index) {
  // Lanes, low to high: blue, green, red, top byte (which takes no part).
  const __m128i levelMask = _mm_set_epi16(0, 0, 0, 0, 0, 0xE0, 0xE0, 0xC0);
  const __m128i errorMask = _mm_set_epi16(0, 0, 0, 0, 0, 0x1F, 0x1F, 0x3F);  // the sum less its level
  // Red × 64 + green × 8 + blue is the palette index shifted left by 6.
  const __m128i indexWeights = _mm_set_epi16(0, 0, 0, 0, 0, 64, 8, 1);

  const __m128i channels = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), _mm_setzero_si128());
  const __m128i sum = _mm_min_epi16(_mm_add_epi16(_mm_add_epi16(channels, above), carry.right), _mm_set1_epi16(255));
  const __m128i e = _mm_and_si128(sum, errorMask);
  const __m128i rightShare = timesSevenSixteenths(e);
  const __m128i belowLeftShare = timesThreeSixteenths(e);
  const __m128i belowShare = timesFiveSixteenths(e);
  const __m128i completed = _mm_add_epi16(carry.belowHere, belowLeftShare);
  carry.belowHere = _mm_add_epi16(carry.belowRight, belowShare);
  carry.belowRight = _mm_sub_epi16(_mm_sub_epi16(_mm_sub_epi16(e, rightShare), belowLeftShare), belowShare);
  carry.right = rightShare;
  const __m128i weighted = _mm_madd_epi16(_mm_and_si128(sum, levelMask), indexWeights);
  index =
      static_cast<unsigned char>((_mm_cvtsi128_si32(weighted) + _mm_cvtsi128_si32(_mm_srli_si128(weighted, 4))) >> 6);
  return completed;
}

// The last row of a frame of odd height: no row below needs its errors.
void ditherLastRow(const std::uint32_t* source, unsigned char* out, int width) {
  RowCarry carry;
  for (int x = 0; x < width; ++x) ditherPixel(carry, source[x], loadSlot(errorRow + 4 * (x + 1)), out[x]);
}

// Two rows, the lower one pixel behind. The upper row's completed slots pass straight to
// the lower row; the lower row rewrites slot x at its pixel x, when the upper row is past
// reading it.
void ditherRowPair(const std::uint32_t* upperSource, unsigned char* upperOut, const std::uint32_t* lowerSource,
                   unsigned char* lowerOut, int width) {
  RowCarry upper, lower;
  ditherPixel(upper, upperSource[0], loadSlot(errorRow + 4), upperOut[0]);  // completes only a guard
  for (int x = 1; x < width; ++x) {
    const __m128i aboveLower = ditherPixel(upper, upperSource[x], loadSlot(errorRow + 4 * (x + 1)), upperOut[x]);
    storeSlot(errorRow + 4 * (x - 1), ditherPixel(lower, lowerSource[x - 1], aboveLower, lowerOut[x - 1]));
  }
  storeSlot(errorRow + 4 * (width - 1),
            ditherPixel(lower, lowerSource[width - 1], upper.belowHere, lowerOut[width - 1]));
  storeSlot(errorRow + 4 * width, lower.belowHere);
}

}  // namespace

bool ditherTo332Sse2(const std::uint32_t* source, void* destination, LONG destinationPitch, int width, int height) {
  if (width < 1 || height < 1 || width > ditherMaxWidth) return true;  // nothing to write
  // The first row has no error carried into it.
  for (std::size_t i = 0; i < 4 * (static_cast<std::size_t>(width) + 2); ++i) errorRow[i] = 0;
  auto* out = static_cast<unsigned char*>(destination);
  auto row = [&](int y) { return out + static_cast<std::ptrdiff_t>(y) * destinationPitch; };
  const std::ptrdiff_t rowPixels = width;
  int y = 0;
  for (; y + 2 <= height; y += 2) {
    ditherRowPair(source + y * rowPixels, row(y), source + (y + 1) * rowPixels, row(y + 1), width);
  }
  if (y < height) ditherLastRow(source + y * rowPixels, row(y), width);
  return true;
}

#else

bool ditherTo332Sse2(const std::uint32_t*, void*, LONG, int, int) { return false; }

#endif
