// Writes the fuzzers' seed corpora into OUT/pcx, resource, ppm, pak and keys, made by the
// project's own writers or as people write them.   fuzz_seeds OUT
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

Bytes text(const std::string& characters) { return Bytes(characters.begin(), characters.end()); }

// `prefix`, then `rest`: the fuzz_pcx set-up byte or the fuzz_resource name line.
Bytes seed(Bytes prefix, const Bytes& rest) {
  prefix.insert(prefix.end(), rest.begin(), rest.end());
  return prefix;
}

void writeSeeds(const std::filesystem::path& folder, const std::vector<Bytes>& seeds) {
  std::filesystem::create_directories(folder);
  for (std::size_t i = 0; i < seeds.size(); ++i)
    writeFileBytes((folder / ("seed" + std::to_string(i))).string(), seeds[i]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: fuzz_seeds OUT\n", stderr);
    return 2;
  }
  const std::filesystem::path out = argv[1];
  Bytes palette(768);
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<unsigned char>(i * 5);
  std::vector<std::uint32_t> sprite(16 * 16), odd(5 * 3);  // noise; runs and values from 0xC0 on
  std::vector<std::uint8_t> indices(7 * 4);
  for (std::uint32_t i = 0; i < sprite.size(); ++i) sprite[i] = i * 0x9E3779B1u >> 8;
  for (std::uint32_t i = 0; i < odd.size(); ++i) odd[i] = i * 0x00C3C3C3u;
  for (std::uint32_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i / 3 * 0x31);

  // The fuzz_pcx set-up byte: 2 KiB of room, bit 0 for a palette.
  const Bytes spriteRle = encodePcx3(sprite.data(), 16, 16, true);
  const Bytes indexed = encodePcx1(indices.data(), 7, 4, true, palette.data());
  writeSeeds(out / "pcx", {seed({0x02}, spriteRle), seed({0x02}, encodePcx3(odd.data(), 5, 3, false)),
                           seed({0x03}, indexed),
                           seed({0x03}, encodePcx1(indices.data(), 7, 4, false, palette.data())),
                           seed({0x02}, encodePcx1(indices.data(), 7, 4, true, nullptr))});
  const Bytes archive = buildArchive({{"Fondo.PCX", spriteRle}, {"paleta.pcx", indexed}, {"texto.txt", text("hola")}});
  std::vector<Bytes> lookups;
  for (const char* name : {"fondo.pcx\n", "PALETA.PCX\n", "texto.txt\n", "\n", "otro.pcx\n"})
    lookups.push_back(seed(text(name), archive));
  writeSeeds(out / "resource", lookups);

  const Bytes wide =
      seed(text("P6 1 2 65535\n"), {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x01, 0x12, 0x34, 0x00, 0x00, 0xFF, 0xFE});
  writeSeeds(out / "ppm", {encodePpm({5, 3, odd}), text("P6\n# made by hand\n2 1\n255\nabcdef"), wide});
  writeSeeds(out / "pak", {archive, buildArchive({{"a", {'a'}}, {"b.pcx", spriteRle}, {"c", {'c'}}}),
                           buildArchive({{"solo.bin", {'s'}}})});
  writeSeeds(out / "keys",
             {text("\nright\nUP SPACE\n\nleft,space\n"), text("RIGHT+up\r\nspace\tLEFT"), text("JUMP\n")});
  return 0;
}
