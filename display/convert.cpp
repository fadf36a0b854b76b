#include "display/convert.h"

#include <cstddef>
#include <cstring>

#include "base/cpu_features.h"
#include "display/convert_rows.h"
#include "display/display.h"

namespace {

void convertRows(const std::uint32_t* source, void* destination, LONG pitch, int width, int height,
                 ConvertRow convertRow) {
  auto* row = static_cast<unsigned char*>(destination);
  for (int y = 0; y < height; ++y) {
    convertRow(source, row + static_cast<std::ptrdiff_t>(y) * pitch, width);
    source += width;
  }
}

// SSSE3's byte shuffle packs 24-bit pixels in about half the work of SSE2's shifts and
// masks; the processor is asked once.
ConvertRow rowTo24Fast() {
  static const ConvertRow chosen = base::hasSsse3() ? rowTo24Ssse3 : rowTo24Sse2;
  return chosen;
}

// AVX2's multiply-adds pack sixteen 16-bit pixels in fewer steps than SSE2 takes for eight;
// AVX-512BW's in about half of AVX2's, with no reordering after the narrowing.
ConvertRow rowTo16Fast(int green6Bit) {
  static const int best = base::hasAvx512bw() ? 2 : base::hasAvx2() ? 1 : 0;
  if (green6Bit != 0) return best == 2 ? rowTo565Avx512 : best == 1 ? rowTo565Avx2 : rowTo565Sse2;
  return best == 2 ? rowTo555Avx512 : best == 1 ? rowTo555Avx2 : rowTo555Sse2;
}

}  // namespace

void convertFrame(const std::uint32_t* source, void* destination, LONG destinationPitch) {
  const int width = displaySettings.frameWidth;
  const int height = displaySettings.frameHeight;
  if (width < 1 || height < 1) return;
  switch (displaySettings.displayDepth) {
    case 32:
      // Rows back to back in the surface too: one block copy does them all at once.
      if (destinationPitch == static_cast<LONG>(width) * 4) {
        std::memcpy(destination, source, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
      } else {
        convertRows(source, destination, destinationPitch, width, height, rowTo32Plain);
      }
      break;
    case 24:
      convertRows(source, destination, destinationPitch, width, height, rowTo24Fast());
      break;
    case 16:
      convertRows(source, destination, destinationPitch, width, height, rowTo16Fast(displaySettings.green6Bit));
      break;
    case 8:
      ditherTo332(source, destination, destinationPitch, width, height);
      break;
    default:  // no other depth is set up; leave the surface as it is
      break;
  }
}
