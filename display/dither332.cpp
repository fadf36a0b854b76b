#include "display/convert.h"
#include "display/dither332_loops.h"

void ditherTo332(const std::uint32_t* source, void* destination, LONG destinationPitch, int width, int height) {
  if (!ditherTo332Sse2(source, destination, destinationPitch, width, height)) {
    ditherTo332Plain(source, destination, destinationPitch, width, height);
  }
}
