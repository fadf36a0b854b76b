// The PCX loader: what it decodes, never past the buffer, and each refusal with its message.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "display/resource.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/pcx_bytes.h"
#include "tests/support/temp_folder.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

using ::testing::ElementsAre;
#if GTEST_HAS_DEATH_TEST
using ::testing::ExitedWithCode;
#endif

std::uint32_t rgb(unsigned r, unsigned g, unsigned b) { return r << 16 | g << 8 | b; }

TEST(Pcx, ThreePlanePictures) {
  struct Case { PcxFields fields; std::vector<int> data; std::vector<std::uint32_t> pixels; };
  const Case cases[] = {
      // A run of 5 from red's third pixel of 5 goes on into green.
      {{.width = 5}, {1, 2, 0xC5, 9, 4, 5, 6, 10, 11, 12, 13, 14},
       {rgb(1, 9, 10), rgb(2, 9, 11), rgb(9, 4, 12), rgb(9, 5, 13), rgb(9, 6, 14)}},
      // One from blue's last pixel of row 0 goes on into red of row 1.
      {{.width = 2, .height = 2}, {1, 2, 3, 4, 5, 0xC3, 7, 8, 9, 10, 11},
       {rgb(1, 3, 5), rgb(2, 4, 7), rgb(7, 8, 10), rgb(7, 9, 11)}},
      // One longer than a whole image row of planes.
      {{.width = 2, .height = 2}, {0xC7, 50, 1, 2, 3, 4, 5},
       {rgb(50, 50, 50), rgb(50, 50, 50), rgb(50, 2, 4), rgb(1, 3, 5)}},
      {{}, {0xC0, 99, 1, 0xC0, 0xC0, 2, 3}, {rgb(1, 2, 3)}},  // a count of 0 uses its value byte
      // Any encoding but 0 is run-length; 0 is raw.
      {{.width = 2, .encoding = 255}, {0xC2, 7, 0xC4, 8}, {rgb(7, 8, 8), rgb(7, 8, 8)}},
      {{.width = 2, .encoding = 0}, {0xC2, 7, 0xC4, 8, 0xFF, 0}, {rgb(0xC2, 0xC4, 0xFF), rgb(7, 8, 0)}},
      // Padding up to the bytes per line shows nowhere, raw or in a run (0x77 pads green)...
      {{.width = 3, .height = 2, .encoding = 0, .bytesPerLine = 4},
       {1, 2, 3, 0xEE, 4, 5, 6, 0xEE, 7, 8, 9, 0xEE, 11, 12, 13, 0xEE, 14, 15, 16, 0xEE, 17, 18, 19, 0xEE},
       {rgb(1, 4, 7), rgb(2, 5, 8), rgb(3, 6, 9), rgb(11, 14, 17), rgb(12, 15, 18), rgb(13, 16, 19)}},
      {{.width = 3, .bytesPerLine = 4}, {1, 0xC4, 2, 3, 4, 0x77, 0xC4, 5}, {rgb(1, 2, 5), rgb(2, 3, 5), rgb(2, 4, 5)}},
      // ...and bytes per line below the width cannot be right: rows are then the width long.
      {{.width = 3, .encoding = 0, .bytesPerLine = 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9},
       {rgb(1, 4, 7), rgb(2, 5, 8), rgb(3, 6, 9)}},
  };
  for (const Case& c : cases) EXPECT_EQ(decodePixels(pcxFile(c.fields, c.data), c.pixels.size()), c.pixels);
}

TEST(Pcx, OnePlanePicturesAndThePaletteAfterTheFirstMarkerPastTheImage) {
  // Runs cross row ends; the last is cut at the buffer's end (AddressSanitizer watches).
  std::vector<unsigned char> out(6);
  decodePcx(pcxFile({.width = 3, .height = 2, .planes = 1}, {1, 0xC4, 2, 0xFF, 3}), out.data(), out.size());
  EXPECT_THAT(out, ElementsAre(1, 2, 2, 2, 2, 3));
  decodePcx(pcxFile({.width = 3, .height = 2, .planes = 1, .encoding = 0, .bytesPerLine = 4},
                    {0xC1, 2, 3, 0, 4, 5, 6, 0}),
            out.data(), out.size());
  EXPECT_THAT(out, ElementsAre(0xC1, 2, 3, 4, 5, 6));

  std::vector<unsigned char> palette(768);
  std::iota(palette.begin(), palette.end(), 0);
  for (const std::vector<int>& before : {std::vector<int>{}, {1, 2, 0xC1, 0xFF}}) {
    Bytes file = pcxFile({.width = 2, .planes = 1}, {0x0C, 0xC1, 0x0C});  // markers as pixels
    file.insert(file.end(), before.begin(), before.end());
    file.push_back(0x0C);
    file.insert(file.end(), palette.begin(), palette.end());
    std::vector<unsigned char> got(768, 0xEE);
    decodePcx(file, out.data(), 2, got.data());
    EXPECT_THAT(std::vector<unsigned char>(out.begin(), out.begin() + 2), ElementsAre(0x0C, 0x0C));
    EXPECT_EQ(got, palette);
  }
}

using PcxFile = TempFolderTest;

TEST_F(PcxFile, AMemberOfTheArchiveAndAPaletteSearchThatRunsIntoTheNextMember) {
  const Bytes picture = pcxFile({.width = 2, .height = 2, .planes = 1}, {0xC4, 9});  // no palette
  Bytes archive = archiveBytes({{"A.PCX", 72}, {"B.BIN", static_cast<std::uint32_t>(72 + picture.size())}, {"", 0}},
                               std::string(picture.begin(), picture.end()) + "xx\x0C");
  for (int i = 0; i < 768; ++i) archive.push_back(static_cast<unsigned char>(255 - i % 256));
  writeBytes("data.pak", archive);
  archivePath = "data.pak";
  char name[] = "a.pcx";
  std::vector<unsigned char> out(4), palette(768);
  EXPECT_EQ(loadPcx(name, out.data(), out.size(), palette.data()), 1);
  EXPECT_THAT(out, ElementsAre(9, 9, 9, 9));
  EXPECT_TRUE(palette[0] == 255 && palette[767] == 0);
  EXPECT_STREQ(name, "A.PCX");
  // A name that cannot be written (a string literal) is looked up through a copy.
  EXPECT_TRUE(loadPcxSize("a.pcx").width == 2 && loadPcx("a.pcx", out.data(), out.size(), nullptr) == 1);
}

void loadFile(const Bytes& file, bool palette) {
  writeBytes("pic.pcx", file);
  char name[] = "pic.pcx";
  std::vector<std::uint32_t> out(256);
  std::vector<unsigned char> paletteOut(768);
  loadPcx(name, out.data(), 1024, palette ? paletteOut.data() : nullptr);
}

#if GTEST_HAS_DEATH_TEST  // a refusal ends the process; WebAssembly has no other to watch it
TEST_F(PcxFile, RefusalsEndTheProgramSayingWhy) {
  const Bytes good = pcxFile({}, {1, 2, 3});
  Bytes notPcx = good, shortPalette = pcxFile({.planes = 1}, {7, 0x0C});
  notPcx[0] = 11;
  shortPalette.resize(shortPalette.size() + 767, 1);
  const std::string incomplete = "^Error: EL FICHERO pic.pcx ESTA INCOMPLETO\n";
  struct Case { Bytes file; std::string message; bool palette = false; };
  const Case cases[] = {
      {notPcx, "^Error: EL FICHERO pic.pcx NO ES DE FORMATO PCX\n"},
      {{}, "EL FICHERO pic.pcx NO ES DE FORMATO PCX"},
      {Bytes(good.begin(), good.begin() + 100), incomplete},
      {pcxFile({.bitsPerPixel = 4}), "^Error: UNICAMENTE IMPLEMENTADO 8 BITS POR PIXEL Y PLANO.\n"},
      {pcxFile({.planes = 2}), "^Error: UNICAMENTE IMPLEMENTADOS 1 Y 3 PLANOS.\n"},
      {pcxFile({.planes = 4}), "UNICAMENTE IMPLEMENTADOS 1 Y 3 PLANOS"},
      {pcxFile({.width = 0, .height = 4, .xmin = 10}), "TIENE DIMENSIONES NO VALIDAS \\(0 x 4\\)"},
      {pcxFile({.width = 3, .height = -9, .ymin = 10}), "pic.pcx TIENE DIMENSIONES NO VALIDAS \\(3 x -9\\)"},
      // 17 × 16 three-plane pixels take 1088 bytes of the 1024.
      {pcxFile({.width = 17, .height = 16}),
       "LA IMAGEN pic.pcx \\(17 x 16, 3 PLANOS\\) NO CABE EN UN BUFFER DE 1024 BYTES"},
      {pcxFile({.width = 65535, .height = 65535, .planes = 1}), "NO CABE EN UN BUFFER DE 1024 BYTES"},
      {pcxFile({.width = 2, .encoding = 0}, {1, 2, 3, 4, 5}), incomplete},
      {pcxFile({.width = 2}, {0xC5, 1}), incomplete},
      {pcxFile({.width = 2, .planes = 1}, {0xC2}), incomplete},
      {pcxFile({.planes = 1, .bytesPerLine = 2}, {7}), incomplete},  // padding is data too
      {pcxFile({.planes = 1}, {7, 1, 2, 3}), "^Error: EL FICHERO pic.pcx NO TIENE PALETA\n", true},
      {shortPalette, "^Error: LA PALETA DEL FICHERO pic.pcx ESTA INCOMPLETA\n", true},
  };
  for (const Case& c : cases) EXPECT_EXIT(loadFile(c.file, c.palette), ExitedWithCode(1), c.message);
  loadFile(shortPalette, false);  // without a palette request nothing after the image is read
  Bytes fits = pcxFile({.width = 16, .height = 16});  // exactly the buffer's size, then codes to spare
  for (int i = 0; i < 16 * 3 + 1; ++i) fits.insert(fits.end(), {0xC8, 1, 0xC8, 1, 0xFF, 0xFF});
  loadFile(fits, false);

  writeBytes("k.pak", Bytes(24, 0));  // a missing file is named as the archive lookup left the name
  archivePath = "k.pak";
  EXPECT_EXIT(loadPcx("fondo.pcx", nullptr, 0, nullptr), ExitedWithCode(1), "No encuentro el fichero \"FONDO.PCX\"");
}
#endif

}  // namespace
