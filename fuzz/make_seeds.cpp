// Writes the fuzzers' seed corpora into OUT/pcx, OUT/resource, OUT/ppm, OUT/pak and
// OUT/keys: small valid pictures of every kind the loader reads, archives that hold them,
// PPM pictures and key scripts, all made by the project's own writers or as people write
// them.
//
//   fuzz_seeds OUT
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/common/tool_output.h"
#include "tools/pak/pak_archive.h"
#include "tools/pcx/ppm.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::vector<std::uint32_t> rgbPicture(int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels[static_cast<std::size_t>(y * width + x)] =
          static_cast<std::uint32_t>((x * 40) % 256) << 16 | static_cast<std::uint32_t>(y * 60 % 256) << 8 |
          (x < width / 2 ? 0xC3u : 0u);
    }
  }
  return pixels;
}

std::vector<std::uint8_t> indexPicture(int width, int height) {
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width * height));
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i / 3 * 0x31);
  return indices;
}

// The fuzz_pcx input: the set-up byte, then the file.
Bytes pcxSeed(unsigned char setUp, const Bytes& file) {
  Bytes seed{setUp};
  seed.insert(seed.end(), file.begin(), file.end());
  return seed;
}

// The fuzz_resource input: the name, a newline, then the archive.
Bytes resourceSeed(const std::string& name, const Bytes& archive) {
  Bytes seed(name.begin(), name.end());
  seed.push_back('\n');
  seed.insert(seed.end(), archive.begin(), archive.end());
  return seed;
}

// Each seed as OUT/<corpus>/seed<N>.
void writeSeeds(const std::filesystem::path& folder, const std::vector<Bytes>& seeds) {
  std::filesystem::create_directories(folder);
  int number = 0;
  for (const Bytes& seed : seeds) writeFileBytes((folder / ("seed" + std::to_string(number++))).string(), seed);
}

Bytes text(const std::string& characters) { return Bytes(characters.begin(), characters.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: fuzz_seeds OUT\n", stderr);
    return 2;
  }
  const std::filesystem::path out = argv[1];

  Bytes palette(768);
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<unsigned char>(i * 5);
  const std::vector<std::uint32_t> sprite = rgbPicture(16, 16), odd = rgbPicture(5, 3);
  const std::vector<std::uint8_t> indices = indexPicture(7, 4);

  const Bytes spriteRle = encodePcx3(sprite.data(), 16, 16, true);
  writeSeeds(out / "pcx", {
                              pcxSeed(0x02, spriteRle),  // 2 KiB of room, no palette
                              pcxSeed(0x02, encodePcx3(odd.data(), 5, 3, false)),
                              pcxSeed(0x03, encodePcx1(indices.data(), 7, 4, true, palette.data())),  // a palette
                              pcxSeed(0x03, encodePcx1(indices.data(), 7, 4, false, palette.data())),
                              pcxSeed(0x02, encodePcx1(indices.data(), 7, 4, true, nullptr)),
                          });

  const Bytes archive = buildArchive({{"Fondo.PCX", spriteRle},
                                      {"paleta.pcx", encodePcx1(indices.data(), 7, 4, true, palette.data())},
                                      {"texto.txt", Bytes{'h', 'o', 'l', 'a'}}});
  std::vector<Bytes> lookups;
  for (const char* name : {"fondo.pcx", "PALETA.PCX", "texto.txt", "", "otro.pcx"}) {
    lookups.push_back(resourceSeed(name, archive));
  }
  writeSeeds(out / "resource", lookups);

  // The tools' readers: PPM pictures (a comment, two-byte samples), archives as kestrix-pak
  // writes them (an empty member among others), key scripts.
  Bytes wide = text("P6 1 2 65535\n");
  wide.insert(wide.end(), {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x01, 0x12, 0x34, 0x00, 0x00, 0xFF, 0xFE});
  writeSeeds(out / "ppm", {encodePpm({5, 3, odd}), text("P6\n# made by hand\n2 1\n255\nabcdef"), wide});
  writeSeeds(out / "pak", {archive, buildArchive({{"vacio", {}}, {"b.pcx", spriteRle}, {"c", {'c'}}}),
                           buildArchive({{"solo.bin", {}}})});
  writeSeeds(out / "keys", {text("\nright\nUP SPACE\n\nleft,space\n"), text("RIGHT+up\r\nspace\tLEFT"), text("JUMP\n")});
  return 0;
}
