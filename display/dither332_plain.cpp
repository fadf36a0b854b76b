#include <algorithm>
#include <cstddef>

#include "display/convert.h"
#include "display/dither332_loops.h"

namespace {

// Two rows of error slots, three integers (red, green, blue) per slot. Pixel x uses slot
// x + 1; slot 0 and slot width + 1 catch the shares that fall off the row's ends.
constexpr int errorSlots = ditherMaxWidth + 2;
std::int32_t errorRows[2][errorSlots * 3];

// Passes the quantisation error e of one channel on: 7/16 right, 3/16 below-left, 5/16
// below, and what is left below-right. The below-right slot gets its first share of the
// row here, so it is set rather than added to; the four shares add up to e exactly.
inline void spreadError(std::int32_t e, std::int32_t* right, std::int32_t* belowLeft) {
  const std::int32_t rightShare = (7 * e) >> 4;
  const std::int32_t belowLeftShare = (3 * e) >> 4;
  const std::int32_t belowShare = (5 * e) >> 4;
  right[0] += rightShare;
  belowLeft[0] += belowLeftShare;
  belowLeft[3] += belowShare;
  belowLeft[6] = e - rightShare - belowLeftShare - belowShare;
}

}  // namespace

void ditherTo332Plain(const std::uint32_t* source, void* destination, LONG destinationPitch, int width, int height) {
  if (width < 1 || height < 1 || width > ditherMaxWidth) return;
  std::int32_t* current = errorRows[0];
  std::int32_t* next = errorRows[1];
  // The guard slots are cleared too: they are never read, but left alone they would
  // gather shares from frame after frame until the sums overflowed.
  const std::size_t rowIntegers = 3 * (static_cast<std::size_t>(width) + 2);
  std::fill_n(current, rowIntegers, 0);
  auto* out = static_cast<unsigned char*>(destination);
  for (int y = 0; y < height; ++y, source += width) {
    std::fill_n(next, rowIntegers, 0);
    unsigned char* row = out + static_cast<std::ptrdiff_t>(y) * destinationPitch;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = source[x];
      std::int32_t* slot = current + 3 * (x + 1);
      // Errors are never negative, so only the top needs a cap.
      const std::int32_t red = std::min<std::int32_t>(255, static_cast<std::int32_t>((p >> 16) & 0xFF) + slot[0]);
      const std::int32_t green = std::min<std::int32_t>(255, static_cast<std::int32_t>((p >> 8) & 0xFF) + slot[1]);
      const std::int32_t blue = std::min<std::int32_t>(255, static_cast<std::int32_t>(p & 0xFF) + slot[2]);
      const std::int32_t quantRed = red & 0xE0;
      const std::int32_t quantGreen = green & 0xE0;
      const std::int32_t quantBlue = blue & 0xC0;
      row[x] = static_cast<unsigned char>(quantRed | (quantGreen >> 3) | (quantBlue >> 6));
      std::int32_t* belowLeft = next + 3 * x;
      spreadError(red - quantRed, slot + 3, belowLeft);
      spreadError(green - quantGreen, slot + 4, belowLeft + 1);
      spreadError(blue - quantBlue, slot + 5, belowLeft + 2);
    }
    std::swap(current, next);
  }
}
