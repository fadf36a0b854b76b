// The blitter's fast path for scaled drawing: the source column of every visible frame
// column is worked out once per call instead of once per pixel. Results are those of the
// plain loops in every case.
#pragma once

#include <cstdint>

#include "display/blit_ops.h"

// The widest span the column table takes; wider ones are left to the plain loops.
inline constexpr std::int32_t blitColumnTableSize = 1024;

// Draws a clipped span for modes 0–4. False, with nothing drawn, for another mode or a
// span wider than the table.
bool blitWithColumnTable(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcW, std::uint32_t* dst,
                         std::int32_t stride, std::int32_t mode, std::uint32_t key);
