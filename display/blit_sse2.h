// The blitter's fast path: rows four pixels at a time with SSE2, taking the source pixels
// as straight runs at 1:1 across, or through a table of source columns made once per call
// when scaled. Results are those of the plain loops in every case.
#pragma once

#include <cstdint>

#include "display/blit_ops.h"

// The widest scaled span the column table takes; wider ones are left to the plain loops.
inline constexpr std::int32_t blitColumnTableSize = 1024;

// Draws a clipped span for modes 0–4 from src, whose rows lie srcPitch pixels apart. False,
// with nothing drawn, where there is no fast path: another mode, a scaled span wider than
// the table, or a build without SSE2.
bool blitSse2(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcPitch, std::uint32_t* dst,
              std::int32_t stride, std::int32_t mode, std::uint32_t key);
