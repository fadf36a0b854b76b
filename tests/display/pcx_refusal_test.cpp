// Every picture the loader refuses ends the program with exit code 1 and a message that
// says why; none of them gets a byte written past the caller's buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "display/pcx.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/pcx_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::ExitedWithCode;

// Loads "pic.pcx" holding `file` into `capacity` bytes, with a palette request if asked.
void loadFile(const Bytes& file, std::size_t capacity = 1024, bool palette = false) {
  writeBytes("pic.pcx", file);
  char name[] = "pic.pcx";
  std::vector<std::uint32_t> out((capacity + 3) / 4);
  std::vector<unsigned char> paletteOut(768);
  loadPcx(name, out.data(), capacity, palette ? paletteOut.data() : nullptr);
}

class PcxRefusal : public TempFolderTest {};

TEST_F(PcxRefusal, AMissingFileIsNamedAsTheOpenerLeftIt) {
  char name[] = "fondo.pcx";
  std::uint32_t out[1];
  EXPECT_EXIT(loadPcx(name, out, sizeof out, nullptr), ExitedWithCode(1),
              "^Error: No encuentro el fichero \"fondo.pcx\"\n$");
  Bytes archive;
  appendEntry(archive, "", 0);
  writeBytes("k.pak", archive);
  archivePath = "k.pak";
  EXPECT_EXIT(loadPcx(name, out, sizeof out, nullptr), ExitedWithCode(1), "No encuentro el fichero \"FONDO.PCX\"");
}

TEST_F(PcxRefusal, HeaderChecksInTheirOrder) {
  const Bytes good = pcxFile({.width = 1, .height = 1}, {1, 2, 3});
  Bytes notPcx = good;
  notPcx[0] = 11;
  EXPECT_EXIT(loadFile(notPcx), ExitedWithCode(1), "^Error: EL FICHERO pic.pcx NO ES DE FORMATO PCX\n");
  EXPECT_EXIT(loadFile({}), ExitedWithCode(1), "EL FICHERO pic.pcx NO ES DE FORMATO PCX");
  EXPECT_EXIT(loadFile(Bytes(good.begin(), good.begin() + 100)), ExitedWithCode(1),
              "EL FICHERO pic.pcx ESTA INCOMPLETO");
  EXPECT_EXIT(loadFile(pcxFile({.bitsPerPixel = 4})), ExitedWithCode(1),
              "^Error: UNICAMENTE IMPLEMENTADO 8 BITS POR PIXEL Y PLANO.\n");
  for (const int planes : {2, 4}) {
    EXPECT_EXIT(loadFile(pcxFile({.planes = planes})), ExitedWithCode(1),
                "^Error: UNICAMENTE IMPLEMENTADOS 1 Y 3 PLANOS.\n");
  }
}

TEST_F(PcxRefusal, ASideOfZeroOrLessIsRefused) {
  EXPECT_EXIT(loadFile(pcxFile({.width = 0, .height = 4, .xmin = 10})), ExitedWithCode(1),
              "EL FICHERO pic.pcx TIENE DIMENSIONES NO VALIDAS \\(0 x 4\\)");
  EXPECT_EXIT(loadFile(pcxFile({.width = 3, .height = -9, .ymin = 10})), ExitedWithCode(1),
              "EL FICHERO pic.pcx TIENE DIMENSIONES NO VALIDAS \\(3 x -9\\)");
}

TEST_F(PcxRefusal, APictureLargerThanTheBufferIsRefusedByName) {
  // 17 × 16 three-plane pixels need 1088 bytes; a sprite buffer holds 1024.
  EXPECT_EXIT(loadFile(pcxFile({.width = 17, .height = 16}), 1024), ExitedWithCode(1),
              "LA IMAGEN pic.pcx \\(17 x 16, 3 PLANOS\\) NO CABE EN UN BUFFER DE 1024 BYTES");
  EXPECT_EXIT(loadFile(pcxFile({.width = 65535, .height = 65535, .planes = 1}), 1024), ExitedWithCode(1),
              "NO CABE EN UN BUFFER DE 1024 BYTES");
  // Exactly the buffer's size is taken.
  Bytes fits = pcxFile({.width = 16, .height = 16});
  fits.insert(fits.end(), {0xFF, 0xFF, 0xFF});  // far more codes than pixels: the rest is dropped
  for (int i = 0; i < 16 * 3; ++i) fits.insert(fits.end(), {0xC8, 1, 0xC8, 1});
  loadFile(fits, 1024);
}

TEST_F(PcxRefusal, AFileThatEndsEarlyIsRefused) {
  const char* incomplete = "^Error: EL FICHERO pic.pcx ESTA INCOMPLETO\n";
  EXPECT_EXIT(loadFile(pcxFile({.width = 2, .height = 1, .encoding = 0}, {1, 2, 3, 4, 5})), ExitedWithCode(1),
              incomplete);
  EXPECT_EXIT(loadFile(pcxFile({.width = 2, .height = 1}, {0xC5, 1})), ExitedWithCode(1), incomplete);
  EXPECT_EXIT(loadFile(pcxFile({.width = 2, .height = 1, .planes = 1}, {0xC2})), ExitedWithCode(1), incomplete);
  // Padding is part of the data: a row stored shorter than its bytes-per-line is incomplete.
  EXPECT_EXIT(loadFile(pcxFile({.width = 1, .height = 1, .planes = 1, .bytesPerLine = 2}, {7})), ExitedWithCode(1),
              incomplete);
}

TEST_F(PcxRefusal, AMissingOrShortPaletteIsRefused) {
  EXPECT_EXIT(loadFile(pcxFile({.width = 1, .height = 1, .planes = 1}, {7, 1, 2, 3}), 1024, true),
              ExitedWithCode(1), "^Error: EL FICHERO pic.pcx NO TIENE PALETA\n");
  Bytes shortPalette = pcxFile({.width = 1, .height = 1, .planes = 1}, {7, 0x0C});
  shortPalette.resize(shortPalette.size() + 767, 1);
  EXPECT_EXIT(loadFile(shortPalette, 1024, true), ExitedWithCode(1),
              "^Error: LA PALETA DEL FICHERO pic.pcx ESTA INCOMPLETA\n");
  loadFile(shortPalette, 1024, false);  // without a palette request nothing after the image is read
}

}  // namespace
