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

// Where the pixels of one source row come from for visible column i: a straight run...
struct StraightRun {
  const std::uint32_t* first;  // the source pixel of the first visible column
  __m128i four(std::int32_t i) const { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i)); }
  std::uint32_t one(std::int32_t i) const { return first[i]; }
};

// ...or the columns named by the table.
struct ThroughColumns {
  const std::uint32_t* row;
  const std::int32_t* columns;
  __m128i four(std::int32_t i) const {
    return _mm_setr_epi32(static_cast<int>(row[columns[i]]), static_cast<int>(row[columns[i + 1]]),
                          static_cast<int>(row[columns[i + 2]]), static_cast<int>(row[columns[i + 3]]));
  }
  std::uint32_t one(std::int32_t i) const { return row[columns[i]]; }
};

// sourceRow(row start) gives the StraightRun or ThroughColumns of one source row.
template <typename Kernel, typename SourceRow>
void drawSpan(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcPitch, std::uint32_t* dst,
              std::int32_t stride, const Kernel& kernel, SourceRow sourceRow) {
  // Locals, so that the compiler need not reload them after every store into dst.
  const std::int32_t w = span.w;
  const std::int32_t yStep = span.yStep;
  std::uint32_t* dstRow = dst + static_cast<std::ptrdiff_t>(span.y) * stride + span.x;
  std::int32_t sy = span.sy0;
  for (std::int32_t row = span.h; row > 0; --row, sy += yStep, dstRow += stride) {
    const auto source = sourceRow(src + static_cast<std::ptrdiff_t>(srcPitch) * (sy >> 16));
    std::int32_t i = 0;
    for (; i <= w - 4; i += 4) {
      const __m128i d4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dstRow + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dstRow + i), kernel.apply(d4, source.four(i)));
    }
    for (; i < w; ++i) dstRow[i] = kernel.apply1(dstRow[i], source.one(i));
  }
}

// Calls draw(kernel) with the kernel of mode; false for a mode that draws nothing.
template <typename Draw>
bool withKernel(std::int32_t mode, std::uint32_t key, Draw draw) {
  switch (mode) {
    case blitCopy:
      draw(CopyKernel{});
      return true;
    case blitKeyed:
      draw(KeyedKernel{_mm_set1_epi32(static_cast<int>(key)), blitops::Keyed{key}});
      return true;
    case blitAddSaturate:
      draw(AddSaturateKernel{});
      return true;
    case blitAddChannels:
      draw(AddChannelsKernel{});
      return true;
    case blitInvert:
      draw(InvertKernel{});
      return true;
    default:
      return false;
  }
}

}  // namespace

bool blitSse2(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcPitch, std::uint32_t* dst,
              std::int32_t stride, std::int32_t mode, std::uint32_t key) {
  if (span.xStep == 0x10000) {
    const std::int32_t firstColumn = span.sx0 >> 16;
    return withKernel(mode, key, [&](const auto& kernel) {
      drawSpan(span, src, srcPitch, dst, stride, kernel,
               [&](const std::uint32_t* row) { return StraightRun{row + firstColumn}; });
    });
  }
  if (span.w > blitColumnTableSize || mode < blitCopy || mode > blitInvert) return false;
  // The source column of every visible column, worked out once instead of once per row.
  std::int32_t columns[blitColumnTableSize];
  std::int32_t sx = span.sx0;
  for (std::int32_t i = 0; i < span.w; ++i, sx += span.xStep) columns[i] = sx >> 16;
  return withKernel(mode, key, [&](const auto& kernel) {
    drawSpan(span, src, srcPitch, dst, stride, kernel, [&](const std::uint32_t* row) {
      return ThroughColumns{row, columns};
    });
  });
}

#else  // no SSE2: the plain loops draw everything

bool blitSse2(const BlitSpan&, const std::uint32_t*, std::int32_t, std::uint32_t*, std::int32_t, std::int32_t,
              std::uint32_t) {
  return false;
}

#endif
