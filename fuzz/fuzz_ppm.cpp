// Fuzzes the PPM reader of kestrix-pcx (tools/pcx/ppm.h) with any bytes as a file. A refusal
// throws std::runtime_error. A picture it accepts holds as many 0x00RRGGBB pixels as its size
// says, and comes back the same through the PPM writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "tools/pcx/ppm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RgbPicture picture;
  try {
    picture = decodePpm(std::vector<unsigned char>(data, data + size));
  } catch (const std::runtime_error&) {
    return 0;
  }
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
    std::abort();
  for (const std::uint32_t pixel : picture.pixels) if (pixel > 0xFFFFFF) std::abort();
  if (decodePpm(encodePpm(picture)).pixels != picture.pixels) std::abort();
  return 0;
}
