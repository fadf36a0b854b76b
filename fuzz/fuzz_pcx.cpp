// Fuzzes the PCX loader with any bytes as a file in memory. The first input byte sets up
// the call: bit 0 asks for a palette, the other bits give the buffer's room in 2 KiB steps
// (0 to 254 KiB), allocated to the byte so that AddressSanitizer sees any write past it.
// The rest of the input is the file. Refusals throw (refusal_throws.cpp) and are expected.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "display/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool wantPalette = (data[0] & 1) != 0;
  const std::size_t capacity = static_cast<std::size_t>(data[0] >> 1) * 2048;
  std::vector<unsigned char> file(data + 1, data + size);
  file.push_back(0);  // a valid address for an empty file; the stream ends before it
  std::FILE* stream = fmemopen(file.data(), size - 1, "rb");
  if (stream == nullptr) return 0;

  const std::unique_ptr<std::uint32_t[]> pixels(new std::uint32_t[capacity / 4]);
  const std::unique_ptr<unsigned char[]> palette(new unsigned char[pcxPaletteSize]);
  try {
    readPcx(stream, "FUZZ.PCX", pixels.get(), capacity, wantPalette ? palette.get() : nullptr);
  } catch (const std::runtime_error&) {
  }
  std::fclose(stream);
  return 0;
}
