// kestrix-pcx: brings pictures into the game's format and shows them as the game sees them.
//
//   kestrix-pcx to-pcx IN.ppm OUT.pcx   a binary PPM (P6) into a three-plane RLE PCX
//   kestrix-pcx to-ppm IN.pcx OUT.ppm   any PCX the loader accepts into a binary PPM
//
// to-ppm decodes with the library's own loader (readPcx), so a picture the game would
// refuse is refused here with the same message. One-plane pictures come out through their
// palette, or as grey levels when the file has none. Either input may be a pipe
// (/dev/stdin); it is read once, up to 256 MiB, and a picture is at most 8192 x 8192.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/fatal_error.h"
#include "display/pcx.h"
#include "base/output_file.h"
#include "tools/common/input_file.h"
#include "tools/common/tool_output.h"
#include "tools/pcx/ppm.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

constexpr const char* usage =
    "usage: kestrix-pcx to-pcx IN.ppm OUT.pcx\n"
    "       kestrix-pcx to-ppm IN.pcx OUT.ppm\n";

// Inputs are read whole, from a file or a pipe (/dev/stdin); pictures are made in memory.
constexpr std::uint64_t inputMaxBytes = std::uint64_t{256} << 20;
constexpr std::uint64_t pictureMaxPixels = std::uint64_t{1} << 26;  // 8192 x 8192

void toPcx(const std::string& in, const std::string& out) {
  refuseToReplaceAnInput(out, {in});
  const RgbPicture picture = decodePpm(readFileBytes(in, inputMaxBytes, true));
  writeFileBytes(out, encodePcx3(picture.pixels.data(), picture.width, picture.height, true));
}

// The loader reads a palette from the first 0x0C after the image; a file "has" one when it
// ends in the usual place for it, a 0x0C and 768 bytes.
bool endsInPalette(const std::vector<unsigned char>& file) {
  return file.size() >= pcxHeaderSize + 1 + pcxPaletteSize && file[file.size() - 1 - pcxPaletteSize] == 0x0C;
}

// The most plane-row bytes that `dataBytes` bytes of image data can give: a run code and
// its value give at most 63, a literal or a raw byte one.
std::uint64_t largestDecoding(const PcxHeader& header, std::uint64_t dataBytes) {
  return header.encoding == 0 ? dataBytes : dataBytes / 2 * 63 + dataBytes % 2;
}

// A header may ask for any size up to 65535 x 65535; room is made only for what the file
// can hold, so a short file cannot claim gigabytes.
void refuseImpossibleSize(const std::string& path, const PcxHeader& header, std::uint64_t fileBytes) {
  const std::string in = base::printableText(path);
  const std::uint64_t pixels = static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.height);
  const std::string size = std::to_string(header.width) + " x " + std::to_string(header.height);
  if (pixels > pictureMaxPixels) throw std::runtime_error(in + ": a " + size + " picture is larger than 8192 x 8192");
  if (pixels * static_cast<std::uint64_t>(header.planes) > largestDecoding(header, fileBytes - pcxHeaderSize)) {
    throw std::runtime_error(in + ": " + std::to_string(fileBytes - pcxHeaderSize) +
                             " bytes of image data cannot hold the " + size +
                             " picture its header gives; the file is cut short or broken");
  }
}

void toPpm(const std::string& in, const std::string& out) {
  refuseToReplaceAnInput(out, {in});
  std::vector<unsigned char> file = readFileBytes(in, inputMaxBytes, true);
  unsigned char headerBytes[pcxHeaderSize] = {};
  std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), pcxHeaderSize)),
            headerBytes);
  const PcxHeader header = decodePcxHeader(headerBytes);

  // A header the loader refuses gets no room, and the loader says why.
  const bool readable = file.size() >= pcxHeaderSize && header.manufacturer == 10 && header.bitsPerPixel == 8 &&
                        (header.planes == 1 || header.planes == 3) && header.width > 0 && header.height > 0;
  if (readable) refuseImpossibleSize(in, header, file.size());
  const std::uint64_t bytes = readable ? pcxOutputBytes(header) : 0;
  std::vector<std::uint32_t> pixels((bytes + 3) / 4);
  std::vector<unsigned char> palette;
  const bool withPalette = header.planes == 1 && endsInPalette(file);
  if (withPalette) palette.resize(pcxPaletteSize);

  // Decoded from the bytes in memory: the input is read once, so a pipe will do.
  const std::size_t fileSize = file.size();
  file.push_back(0);  // a valid address even for an empty file; the stream ends before it
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(fmemopen(file.data(), fileSize, "rb"), std::fclose);
  if (!stream) throw std::runtime_error("cannot read " + base::printableText(in) + " from memory");
  readPcx(stream.get(), in.c_str(), pixels.data(), static_cast<std::size_t>(bytes),
          withPalette ? palette.data() : nullptr);

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
  fatalErrorReporter = reportFatalErrorOnStandardError;  // the loader's refusals: no box
  fatalErrorProgramName = "kestrix-pcx";
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? "" : args[0];
  return toolMain("kestrix-pcx", [&] {
    if (command == "to-pcx" && args.size() == 3) {
      toPcx(args[1], args[2]);
    } else if (command == "to-ppm" && args.size() == 3) {
      toPpm(args[1], args[2]);
    } else {
      return showUsage(usage, command == "-h" || command == "--help");
    }
    return 0;
  });
}
