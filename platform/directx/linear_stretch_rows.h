// The two passes behind LinearStretch, one row at a time, with 8-bit weights: a row
// widened through per-column taps, and two rows mixed by one weight. The plain loops are
// the reference for the SIMD ones beside them, which give the same bytes.
#pragma once

#include <cstdint>

namespace platform::directx {

// A target column's two source texels: `texel` and the next, which weighs w / 256. The
// weights are kept as the SIMD loops multiply the two texels' bytes: 256 − w four times,
// then w four times.
struct alignas(16) StretchTap {
  std::int16_t weights[8];
  std::int32_t texel;
};
StretchTap makeTap(int texel, int weight);

void widenRowPlain(const std::uint32_t* source, const StretchTap* taps, std::uint32_t* out, int width);
void mixRowsPlain(const std::uint32_t* upper, const std::uint32_t* lower, int weight, std::uint32_t* out, int width);

// Two columns (widen) or four pixels (mix) at a time with SSE2, eight pixels with AVX2;
// the rest of a row through the plain loop. Builds for other processors get the plain
// loops here. Call the AVX2 loop only where base::hasAvx2() holds.
void widenRowSse2(const std::uint32_t* source, const StretchTap* taps, std::uint32_t* out, int width);
void mixRowsSse2(const std::uint32_t* upper, const std::uint32_t* lower, int weight, std::uint32_t* out, int width);
void mixRowsAvx2(const std::uint32_t* upper, const std::uint32_t* lower, int weight, std::uint32_t* out, int width);

}  // namespace platform::directx
