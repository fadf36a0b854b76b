// The blitter's five pixel operations, each a function object of the destination pixel d
// and the source pixel s, and the clipped drawing span that one call works on. Shared by
// the plain loops, the fast paths and their tests.
#pragma once

#include <cstdint>

namespace blitops {

struct Copy {
  std::uint32_t operator()(std::uint32_t, std::uint32_t s) const { return s; }
};

struct Keyed {
  std::uint32_t key;
  std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const { return s != key ? s : d; }
};

// Per colour byte: the 8-bit sum, or 255 when it overflows. The top byte comes from s.
struct AddSaturate {
  std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const {
    std::uint32_t result = s & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      const std::uint32_t sum = ((s >> shift) & 0xFFu) + ((d >> shift) & 0xFFu);
      result |= (sum > 0xFFu ? 0xFFu : sum) << shift;
    }
    return result;
  }
};

// Unsigned arithmetic wraps, so the carries out of each channel run into the next one up.
struct AddChannels {
  std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const {
    return d + (s & 0x00FF0000u) + (s & 0x0000FF00u) + (s & 0x000000FFu);
  }
};

struct Invert {
  std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const { return s != 0 ? 255u - d : d; }
};

// Calls draw(op) with the operation of mode (a BlitMode value), each a type of its own so
// that every loop is specialised for its mode. False, without a call, for any other mode.
template <typename Draw>
bool withOperation(std::int32_t mode, std::uint32_t key, Draw&& draw) {
  switch (mode) {
    case 0:
      draw(Copy{});
      return true;
    case 1:
      draw(Keyed{key});
      return true;
    case 2:
      draw(AddSaturate{});
      return true;
    case 3:
      draw(AddChannels{});
      return true;
    case 4:
      draw(Invert{});
      return true;
    default:
      return false;
  }
}

}  // namespace blitops

// What one call draws after clipping: w × h frame pixels from (x, y), sampling the source
// from (sx0, sy0) in 16.16 steps of xStep and yStep. All values are non-negative, and every
// source coordinate reached stays below the source size × 65536, below 2^31.
struct BlitSpan {
  std::int32_t x, y, w, h;
  std::int32_t sx0, sy0, xStep, yStep;
};

// Clips a call against a frameW × frameH frame. False when nothing is to be drawn, which
// includes every call outside the sizes the blitter supports.
bool clipBlit(std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y, std::int32_t dstW,
              std::int32_t dstH, std::int32_t frameW, std::int32_t frameH, BlitSpan& span);

// The same drawing as blit, through the plain per-pixel loops only: the reference for the
// fast paths.
void blitPlain(const std::uint32_t* src, std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y,
               std::int32_t dstW, std::int32_t dstH, std::uint32_t* dst, std::int32_t mode, std::uint32_t key);
