// The blitter's fast path for drawing at 1:1 horizontal scale, four pixels at a time with
// SSE2. Results are those of the plain loops in every case.
#pragma once

#include <cstdint>

#include "display/blit_ops.h"

// Draws a clipped span whose xStep is exactly one pixel, for modes 0–4. False, with
// nothing drawn, where there is no fast path: another mode, or a build without SSE2.
bool blitUnscaledSse2(const BlitSpan& span, const std::uint32_t* src, std::int32_t srcW, std::uint32_t* dst,
                      std::int32_t stride, std::int32_t mode, std::uint32_t key);
