#include "display/blit.h"

#include <cstddef>

#include "display/blit_ops.h"
#include "display/blit_sse2.h"
#include "display/display.h"

namespace {

constexpr std::int32_t fixedOne = 0x10000;
constexpr std::int32_t maxSourceSize = 32767;  // keeps size × 65536 within 31 bits

// The 16.16 source step per frame pixel. srcSize × 65536 cannot overflow for the sizes
// clipBlit accepts; the 1:1 case, the game's only one, skips the division.
std::int32_t fixedStep(std::int32_t srcSize, std::int32_t dstSize) {
  return srcSize == dstSize ? fixedOne : srcSize * fixedOne / dstSize;
}

// Clips one axis: the target runs from pos for size pixels, the frame from 0 for frame
// pixels. Done in 64 bits, so that no position, however far out, overflows. Within the
// visible part, the start offset is below size × step, which fits in 31 bits.
bool clipAxis(std::int32_t pos, std::int32_t size, std::int32_t step, std::int32_t frame, std::int32_t& visiblePos,
              std::int32_t& visibleLength, std::int32_t& sourceStart) {
  std::int64_t p = pos;
  std::int64_t length = size;
  std::int64_t start = 0;
  if (p < 0) {
    length = p + size;
    start = -p * step;
    p = 0;
  }
  if (p + length > frame) length = frame - p;
  if (length <= 0) return false;
  visiblePos = static_cast<std::int32_t>(p);
  visibleLength = static_cast<std::int32_t>(length);
  sourceStart = static_cast<std::int32_t>(start);
  return true;
}

// The reference loop, one shape for every mode: op is inlined per instantiation. The span
// comes by value: a reference might alias dst, and every store would reload it.
template <typename Op>
void drawPlain(const BlitSpan span, const std::uint32_t* src, std::int32_t srcPitch, std::uint32_t* dst,
               std::int32_t stride, Op op) {
  std::uint32_t* dstRow = dst + static_cast<std::ptrdiff_t>(span.y) * stride + span.x;
  std::int32_t sy = span.sy0;
  for (std::int32_t row = 0; row < span.h; ++row) {
    const std::uint32_t* srcRow = src + static_cast<std::ptrdiff_t>(srcPitch) * (sy >> 16);
    std::int32_t sx = span.sx0;
    for (std::int32_t col = 0; col < span.w; ++col) {
      dstRow[col] = op(dstRow[col], srcRow[sx >> 16]);
      sx += span.xStep;
    }
    sy += span.yStep;
    dstRow += stride;
  }
}

// The plain loops for a clipped span, out of line: the callers' fast path then sets up
// nothing for them.
[[gnu::noinline]] void drawPlainSpan(const BlitSpan span, const std::uint32_t* src, std::int32_t srcPitch,
                                     std::uint32_t* dst, std::int32_t stride, std::int32_t mode, std::uint32_t key) {
  blitops::withOperation(mode, key, [&](auto op) { drawPlain(span, src, srcPitch, dst, stride, op); });
}

// Every entry point: the srcW × srcH rectangle at (srcX, srcY) of a picture whose rows lie
// pitch pixels apart, through the fast paths where fast is set. Inlined into each: blit is
// called hundreds of times a frame, and a call passing 13 arguments would cost it ~10 %.
template <bool fast>
[[gnu::always_inline]] inline void drawRect(const std::uint32_t* picture, std::int32_t pitch, std::int32_t srcX,
                                            std::int32_t srcY, std::int32_t srcW, std::int32_t srcH, std::int32_t x,
                                            std::int32_t y, std::int32_t dstW, std::int32_t dstH, std::uint32_t* dst,
                                            std::int32_t mode, std::uint32_t key) {
  BlitSpan span{};
  const std::int32_t stride = displaySettings.frameWidth;
  if (!clipBlit(srcW, srcH, x, y, dstW, dstH, stride, displaySettings.frameHeight, span)) return;
  // A rectangle reaching past its row would sample the next row, or memory before the picture.
  if (srcX < 0 || srcY < 0 || std::int64_t{srcX} + srcW > pitch) return;
  const std::uint32_t* src = picture + static_cast<std::ptrdiff_t>(srcY) * pitch + srcX;
  if (fast && blitSse2(span, src, pitch, dst, stride, mode, key)) return;
  drawPlainSpan(span, src, pitch, dst, stride, mode, key);
}

}  // namespace

bool clipBlit(std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y, std::int32_t dstW,
              std::int32_t dstH, std::int32_t frameW, std::int32_t frameH, BlitSpan& span) {
  if (srcW < 1 || srcH < 1 || srcW > maxSourceSize || srcH > maxSourceSize) return false;
  if (dstW < 1 || dstH < 1) return false;  // a negative size draws nothing; 0 would divide by zero
  span.xStep = fixedStep(srcW, dstW);
  span.yStep = fixedStep(srcH, dstH);
  return clipAxis(x, dstW, span.xStep, frameW, span.x, span.w, span.sx0) &&
         clipAxis(y, dstH, span.yStep, frameH, span.y, span.h, span.sy0);
}

void blitPlain(const std::uint32_t* src, std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y,
               std::int32_t dstW, std::int32_t dstH, std::uint32_t* dst, std::int32_t mode, std::uint32_t key) {
  drawRect<false>(src, srcW, 0, 0, srcW, srcH, x, y, dstW, dstH, dst, mode, key);
}

void blit(const std::uint32_t* src, std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y,
          std::int32_t dstW, std::int32_t dstH, std::uint32_t* dst, std::int32_t mode, std::uint32_t key) {
  drawRect<true>(src, srcW, 0, 0, srcW, srcH, x, y, dstW, dstH, dst, mode, key);
}

void blitRect(const std::uint32_t* picture, std::int32_t pitch, std::int32_t srcX, std::int32_t srcY,
              std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y, std::int32_t dstW,
              std::int32_t dstH, std::uint32_t* dst, std::int32_t mode, std::uint32_t key) {
  drawRect<true>(picture, pitch, srcX, srcY, srcW, srcH, x, y, dstW, dstH, dst, mode, key);
}
