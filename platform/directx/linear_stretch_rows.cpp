#include "platform/directx/linear_stretch_rows.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KESTRIX_X86 1
#endif

namespace platform::directx {
namespace {

// (a × (256 − w) + b × w) / 256, rounded, in each of the three colour bytes; the top byte
// comes out 0.
std::uint32_t mix(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
  const std::uint32_t keep = 256 - w;
  const std::uint32_t redBlue = (((a & 0xFF00FF) * keep + (b & 0xFF00FF) * w + 0x800080) >> 8) & 0xFF00FF;
  const std::uint32_t green = (((a & 0x00FF00) * keep + (b & 0x00FF00) * w + 0x008000) >> 8) & 0x00FF00;
  return redBlue | green;
}

}  // namespace

StretchTap makeTap(int texel, int weight) {
  StretchTap tap{};
  for (int i = 0; i < 4; ++i) {
    tap.weights[i] = static_cast<std::int16_t>(256 - weight);
    tap.weights[4 + i] = static_cast<std::int16_t>(weight);
  }
  tap.texel = texel;
  return tap;
}

void widenRowPlain(const std::uint32_t* source, const StretchTap* taps, std::uint32_t* out, int width) {
  for (int x = 0; x < width; ++x) {
    const std::uint32_t* pair = source + taps[x].texel;
    out[x] = mix(pair[0], pair[1], static_cast<std::uint32_t>(taps[x].weights[4]));
  }
}

void mixRowsPlain(const std::uint32_t* upper, const std::uint32_t* lower, int weight, std::uint32_t* out, int width) {
  for (int x = 0; x < width; ++x) out[x] = mix(upper[x], lower[x], static_cast<std::uint32_t>(weight));
}

#ifdef KESTRIX_X86

// The same sums on 16-bit lanes: a byte times a weight of at most 256, plus the other
// byte times the rest, never passes 65,280. The top bytes come out as something; the
// plain loops give 0 there, so they are cleared.

void widenRowSse2(const std::uint32_t* source, const StretchTap* taps, std::uint32_t* out, int width) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi16(128);
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  int x = 0;
  for (; x + 2 <= width; x += 2) {
    // Each column's two texels side by side, times their weights; then the halves added.
    const __m128i* weights = reinterpret_cast<const __m128i*>(taps[x].weights);
    const __m128i* nextWeights = reinterpret_cast<const __m128i*>(taps[x + 1].weights);
    __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + taps[x].texel));
    __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + taps[x + 1].texel));
    a = _mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), _mm_load_si128(weights));
    b = _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), _mm_load_si128(nextWeights));
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b)), half);
    const __m128i pixels = _mm_and_si128(_mm_packus_epi16(_mm_srli_epi16(sum, 8), zero), colour);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), pixels);
  }
  widenRowPlain(source, taps + x, out + x, width - x);
}

void mixRowsSse2(const std::uint32_t* upper, const std::uint32_t* lower, int weight, std::uint32_t* out, int width) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi16(128);
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i keep = _mm_set1_epi16(static_cast<short>(256 - weight));
  const __m128i take = _mm_set1_epi16(static_cast<short>(weight));
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
    const __m128i low = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), keep), _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), take)),
        half);
    const __m128i high = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), keep), _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), take)),
        half);
    const __m128i pixels = _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_and_si128(pixels, colour));
  }
  mixRowsPlain(upper + x, lower + x, weight, out + x, width - x);
}

// As the SSE2 loop, on both 128-bit halves at once (the unpacks and the pack work within
// each half, so the pixels keep their order).
__attribute__((target("avx2"))) void mixRowsAvx2(const std::uint32_t* upper, const std::uint32_t* lower, int weight,
                                                  std::uint32_t* out, int width) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i half = _mm256_set1_epi16(128);
  const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
  const __m256i keep = _mm256_set1_epi16(static_cast<short>(256 - weight));
  const __m256i take = _mm256_set1_epi16(static_cast<short>(weight));
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper + x));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower + x));
    const __m256i low = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), keep),
                                                          _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), take)),
                                         half);
    const __m256i high = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), keep),
                                                           _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), take)),
                                          half);
    const __m256i pixels = _mm256_packus_epi16(_mm256_srli_epi16(low, 8), _mm256_srli_epi16(high, 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_and_si256(pixels, colour));
  }
  mixRowsPlain(upper + x, lower + x, weight, out + x, width - x);
}

#else

void widenRowSse2(const std::uint32_t* source, const StretchTap* taps, std::uint32_t* out, int width) {
  widenRowPlain(source, taps, out, width);
}
void mixRowsSse2(const std::uint32_t* upper, const std::uint32_t* lower, int weight, std::uint32_t* out, int width) {
  mixRowsPlain(upper, lower, weight, out, width);
}
void mixRowsAvx2(const std::uint32_t* upper, const std::uint32_t* lower, int weight, std::uint32_t* out, int width) {
  mixRowsPlain(upper, lower, weight, out, width);
}

#endif

}  // namespace platform::directx
