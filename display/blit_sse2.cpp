#include "display/blit_sse2.h"

#include <cstddef>

#include "display/blit.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

// Each kernel turns four destination pixels d and source pixels s into the result;
// apply1 is the plain operation, for the last pixels of a row.
struct CopyKernel {
  __m128i apply(__m128i, __m128i s) const { return s; }
  blitops::Copy apply1;
};

struct KeyedKernel {
  __m128i key4;
  __m128i apply(__m128i d, __m128i s) const {
    const __m128i transparent = _mm_cmpeq_epi32(s, key4);
    return _mm_or_si128(_mm_and_si128(transparent, d), _mm_andnot_si128(transparent, s));
  }
  blitops::Keyed apply1;
};

// The saturating byte add covers all four bytes; the top byte is then replaced by s's.
struct AddSaturateKernel {
  __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
  __m128i apply(__m128i d, __m128i s) const {
    return _mm_or_si128(_mm_and_si128(_mm_adds_epu8(s, d), colourBytes), _mm_andnot_si128(colourBytes, s));
  }
  blitops::AddSaturate apply1;
};

struct AddChannelsKernel {
  __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
  __m128i apply(__m128i d, __m128i s) const { return _mm_add_epi32(d, _mm_and_si128(s, colourBytes)); }
  blitops::AddChannels apply1;
};

struct InvertKernel {
  __m128i all255 = _mm_set1_epi32(255);
  __m128i apply(__m128i d, __m128i s) const {
    const __m128i keep = _mm_cmpeq_epi32(s, _mm_setzero_si128());
    return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, _mm_sub_epi32(all255, d)));
  }
  blitops::Invert apply1;
};

template <typename Kernel>
void drawUnscaled(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcW, std::uint32_t* dst,
                  std::int32_t stride, const Kernel& kernel) {
  // Locals, so that the compiler need not reload them after every store into dst.
  const std::int32_t w = span.w;
  const std::int32_t yStep = span.yStep;
  std::uint32_t* dstRow = dst + static_cast<std::ptrdiff_t>(span.y) * stride + span.x;
  const std::uint32_t* srcColumn = src + (span.sx0 >> 16);
  std::int32_t sy = span.sy0;
  for (std::int32_t row = span.h; row > 0; --row, sy += yStep, dstRow += stride) {
    const std::uint32_t* s = srcColumn + static_cast<std::ptrdiff_t>(srcW) * (sy >> 16);
    std::int32_t i = 0;
    for (; i <= w - 4; i += 4) {
      const __m128i d4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dstRow + i));
      const __m128i s4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dstRow + i), kernel.apply(d4, s4));
    }
    for (; i < w; ++i) dstRow[i] = kernel.apply1(dstRow[i], s[i]);
  }
}

}  // namespace

bool blitUnscaledSse2(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcW, std::uint32_t* dst,
                      std::int32_t stride, std::int32_t mode, std::uint32_t key) {
  switch (mode) {
    case blitCopy:
      drawUnscaled(span, src, srcW, dst, stride, CopyKernel{});
      return true;
    case blitKeyed:
      drawUnscaled(span, src, srcW, dst, stride, KeyedKernel{_mm_set1_epi32(static_cast<int>(key)), blitops::Keyed{key}});
      return true;
    case blitAddSaturate:
      drawUnscaled(span, src, srcW, dst, stride, AddSaturateKernel{});
      return true;
    case blitAddChannels:
      drawUnscaled(span, src, srcW, dst, stride, AddChannelsKernel{});
      return true;
    case blitInvert:
      drawUnscaled(span, src, srcW, dst, stride, InvertKernel{});
      return true;
    default:
      return false;
  }
}

#else  // no SSE2: the plain loops draw everything

bool blitUnscaledSse2(const BlitSpan&, const std::uint32_t*, std::int32_t, std::uint32_t*, std::int32_t, std::int32_t,
                      std::uint32_t) {
  return false;
}

#endif
