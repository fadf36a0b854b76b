// kestrix-pcx: brings pictures into the game's format and shows them as the game sees them.
//
//   kestrix-pcx to-pcx IN.ppm OUT.pcx   a binary PPM (P6) into a three-plane RLE PCX
//   kestrix-pcx to-ppm IN.pcx OUT.ppm   any PCX the loader accepts into a binary PPM
//
// to-ppm decodes with the library's own loadPcx, so a picture the game would refuse is
// refused here with the same message. One-plane pictures come out through their palette,
// or as grey levels when the file has none.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "tools/common/file_bytes.h"
#include "tools/pcx/ppm.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

constexpr const char* usage =
    "usage: kestrix-pcx to-pcx IN.ppm OUT.pcx\n"
    "       kestrix-pcx to-ppm IN.pcx OUT.ppm\n";

void toPcx(const std::string& in, const std::string& out) {
  const RgbPicture picture = decodePpm(readFileBytes(in));
  writeFileBytes(out, encodePcx3(picture.pixels.data(), picture.width, picture.height, true));
}

// The loader reads a palette from the first 0x0C after the image; a file "has" one when it
// ends in the usual place for it, a 0x0C and 768 bytes.
bool endsInPalette(const std::vector<unsigned char>& file) {
  return file.size() >= pcxHeaderSize + 1 + pcxPaletteSize && file[file.size() - 1 - pcxPaletteSize] == 0x0C;
}

void toPpm(const std::string& in, const std::string& out) {
  const std::vector<unsigned char> file = readFileBytes(in);
  unsigned char headerBytes[pcxHeaderSize] = {};
  std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), pcxHeaderSize)),
            headerBytes);
  const PcxHeader header = decodePcxHeader(headerBytes);

  // A header the loader refuses gets no room, and the loader says why.
  const bool readable = file.size() >= pcxHeaderSize && header.manufacturer == 10 && header.bitsPerPixel == 8 &&
                        (header.planes == 1 || header.planes == 3);
  const std::uint64_t bytes = readable ? pcxOutputBytes(header) : 0;
  std::vector<std::uint32_t> pixels((bytes + 3) / 4);
  std::vector<unsigned char> palette;
  const bool withPalette = header.planes == 1 && endsInPalette(file);
  if (withPalette) palette.resize(pcxPaletteSize);

  std::vector<char> name(in.begin(), in.end());
  name.push_back('\0');
  loadPcx(name.data(), pixels.data(), static_cast<std::size_t>(bytes), withPalette ? palette.data() : nullptr);

  RgbPicture picture{header.width, header.height, {}};
  if (header.planes == 3) {
    picture.pixels = std::move(pixels);
  } else {
    const auto* indices = reinterpret_cast<const unsigned char*>(pixels.data());
    picture.pixels.resize(static_cast<std::size_t>(bytes));
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
      const unsigned index = indices[i];
      const unsigned char* rgb = withPalette ? &palette[index * 3] : nullptr;
      picture.pixels[i] = withPalette ? static_cast<std::uint32_t>(rgb[0] << 16 | rgb[1] << 8 | rgb[2])
                                      : static_cast<std::uint32_t>(index << 16 | index << 8 | index);
    }
  }
  writeFileBytes(out, encodePpm(picture));
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? "" : args[0];
  try {
    if (command == "to-pcx" && args.size() == 3) {
      toPcx(args[1], args[2]);
    } else if (command == "to-ppm" && args.size() == 3) {
      toPpm(args[1], args[2]);
    } else if (command == "-h" || command == "--help") {
      std::fputs(usage, stdout);
    } else {
      std::fputs(usage, stderr);
      return 2;
    }
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kestrix-pcx: not enough memory for %s\n", args[1].c_str());
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kestrix-pcx: %s\n", error.what());
    return 1;
  }
  return 0;
}
