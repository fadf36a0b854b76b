// Fuzzes the PCX loader with any bytes as a file. The first byte sets up the call: bit 0 asks
// for a palette, the others give the buffer's room in 2 KiB steps, allocated to the byte so
// that AddressSanitizer sees a write past it. Refusals throw (refusal_throws.cpp).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "display/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<unsigned char> file(data + 1, data + size), palette(pcxPaletteSize);
  file.push_back(0);  // a valid address for an empty file; the stream ends before it
  std::FILE* stream = fmemopen(file.data(), size - 1, "rb");
  if (stream == nullptr) return 0;
  std::vector<std::uint32_t> pixels(data[0] >> 1 << 9);
  try {
    readPcx(stream, "FUZZ.PCX", pixels.data(), pixels.size() * 4, (data[0] & 1) != 0 ? palette.data() : nullptr);
  } catch (const std::runtime_error&) {
  }
  std::fclose(stream);
  return 0;
}
