#include "display/blit_columns.h"

#include <cstddef>

#include "display/blit.h"

namespace {

template <typename Op>
void drawWithColumns(const BlitSpan& span, const std::int32_t* columns, const std::uint32_t* src, std::int32_t srcW,
                     std::uint32_t* dst, std::int32_t stride, Op op) {
  const std::int32_t w = span.w;
  const std::int32_t yStep = span.yStep;
  std::uint32_t* dstRow = dst + static_cast<std::ptrdiff_t>(span.y) * stride + span.x;
  std::int32_t sy = span.sy0;
  for (std::int32_t row = span.h; row > 0; --row, sy += yStep, dstRow += stride) {
    const std::uint32_t* srcRow = src + static_cast<std::ptrdiff_t>(srcW) * (sy >> 16);
    for (std::int32_t col = 0; col < w; ++col) dstRow[col] = op(dstRow[col], srcRow[columns[col]]);
  }
}

}  // namespace

bool blitWithColumnTable(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcW, std::uint32_t* dst,
                         std::int32_t stride, std::int32_t mode, std::uint32_t key) {
  if (span.w > blitColumnTableSize || mode < blitCopy || mode > blitInvert) return false;
  std::int32_t columns[blitColumnTableSize];
  std::int32_t sx = span.sx0;
  for (std::int32_t col = 0; col < span.w; ++col, sx += span.xStep) columns[col] = sx >> 16;
  return blitops::withOperation(mode, key, [&](auto op) { drawWithColumns(span, columns, src, srcW, dst, stride, op); });
}
