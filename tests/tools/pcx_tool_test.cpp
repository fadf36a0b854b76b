// kestrix-pcx in both directions: a PPM from an editor becomes a picture the game loads,
// and any picture the loader takes comes back out as the game sees it. Inputs are read once
// (a pipe will do), and a header cannot ask for more room than its file could fill.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "display/pcx.h"
#include "tests/support/pcx_bytes.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

// A run that waits (on a FIFO, say) ends in failure instead of holding the test up.
ToolRun pcx(const std::string& arguments) { return runShell("timeout 30 '" KESTRIX_PCX_PATH "' " + arguments); }

Bytes joined(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

class PcxTool : public TempFolderTest {};

TEST_F(PcxTool, APpmBecomesAThreePlanePictureAndComesBackTheSame) {
  // 3 × 2 with a comment in the header, as editors write them.
  Bytes ppm = textBytes("P6\n# made by hand\n3 2\n255\n");
  for (int i = 0; i < 18; ++i) ppm.push_back(static_cast<unsigned char>(i * 15));
  writeBytes("in.ppm", ppm);
  ASSERT_EQ(pcx("to-pcx in.ppm out.pcx").status, 0);

  const Bytes file = readBytes("out.pcx");
  ASSERT_GT(file.size(), 128u);
  EXPECT_EQ(file[2], 1);   // run-length encoded
  EXPECT_EQ(file[65], 3);  // three planes
  std::vector<std::uint32_t> pixels(6);
  decodePcx(file, pixels.data(), 24);
  EXPECT_EQ(pixels[0], 0x000F1Eu);
  EXPECT_EQ(pixels[5], 0xE1F0FFu);

  ASSERT_EQ(pcx("to-ppm out.pcx back.ppm").status, 0);
  EXPECT_EQ(readBytes("back.ppm"), joined(textBytes("P6\n3 2\n255\n"), Bytes(ppm.end() - 18, ppm.end())));
}

TEST_F(PcxTool, SixteenBitSamplesAreScaledToEightBits) {
  Bytes ppm = textBytes("P6 1 1 65535\n");
  ppm.insert(ppm.end(), {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00});
  writeBytes("in.ppm", ppm);
  ASSERT_EQ(pcx("to-pcx in.ppm out.pcx").status, 0);
  std::uint32_t pixel = 0;
  decodePcx(readBytes("out.pcx"), &pixel, 4);
  EXPECT_EQ(pixel, 0xFF8000u);
}

TEST_F(PcxTool, OnePlanePicturesComeOutThroughTheirPaletteOrAsGrey) {
  const std::uint8_t indices[] = {0, 1, 2};
  Bytes palette(768, 0);
  palette[3] = 0xAA;  // entry 1: red
  palette[8] = 0xBB;  // entry 2: blue
  writeBytes("pal.pcx", encodePcx1(indices, 3, 1, true, palette.data()));
  ASSERT_EQ(pcx("to-ppm pal.pcx pal.ppm").status, 0);
  EXPECT_EQ(readBytes("pal.ppm"), joined(textBytes("P6\n3 1\n255\n"), {0, 0, 0, 0xAA, 0, 0, 0, 0, 0xBB}));

  writeBytes("grey.pcx", encodePcx1(indices, 3, 1, false, nullptr));
  ASSERT_EQ(pcx("to-ppm grey.pcx grey.ppm").status, 0);
  EXPECT_EQ(readBytes("grey.ppm"), joined(textBytes("P6\n3 1\n255\n"), {0, 0, 0, 1, 1, 1, 2, 2, 2}));
}

TEST_F(PcxTool, RefusalsGiveAMessageAndANonZeroExit) {
  writeBytes("four.pcx", pcxFile({.bitsPerPixel = 4}));
  EXPECT_TRUE(refused(pcx("to-ppm four.pcx out.ppm"), "UNICAMENTE IMPLEMENTADO 8 BITS POR PIXEL Y PLANO."));
  writeBytes("cut.pcx", pcxFile({.width = 4, .height = 4}, {1, 2, 3}));
  EXPECT_TRUE(refused(pcx("to-ppm cut.pcx out.ppm"), "EL FICHERO cut.pcx ESTA INCOMPLETO"));
  EXPECT_TRUE(refused(pcx("to-ppm none.pcx out.ppm"), "none.pcx"));

  for (const char* broken :
       {"P3\n1 1\n255\n1 2 3\n", "P6\n2 2\n255\nabc", "P6\n1 1\n0\nabc", "P6\n0 1\n255\n", "P6\n1 1\n2\n\1\2\3"}) {
    writeBytes("bad.ppm", textBytes(broken));
    EXPECT_TRUE(refused(pcx("to-pcx bad.ppm out.pcx"), "kestrix-pcx: ")) << broken;
  }
  EXPECT_FALSE(std::filesystem::exists("out.pcx"));
  EXPECT_FALSE(std::filesystem::exists("out.ppm"));
  EXPECT_EQ(pcx("to-ppm only-one.pcx").status, 2);
  EXPECT_EQ(pcx("").status, 2);
}

TEST_F(PcxTool, ReadsItsInputOnceSoAPipeWillDo) {
  std::filesystem::copy_file(KESTRIX_ASSETS_DIR "/fondo.pcx", "fondo.pcx");
  ASSERT_EQ(pcx("to-ppm fondo.pcx file.ppm").status, 0);
  const ToolRun piped = runShell("cat fondo.pcx | '" KESTRIX_PCX_PATH "' to-ppm /dev/stdin pipe.ppm");
  ASSERT_EQ(piped.status, 0) << piped.output;
  EXPECT_EQ(readBytes("pipe.ppm"), readBytes("file.ppm"));
}

TEST_F(PcxTool, AHeaderGetsNoMoreRoomThanItsFileCouldFill) {
  // Each header with its data: far fewer bytes than the picture it claims, even run-length
  // encoded (a code and its value give at most 63 bytes).
  const std::vector<std::pair<Bytes, std::string>> claims = {
      {pcxFile({.width = 65535, .height = 16000}), "65535 x 16000"},
      {pcxFile({.width = 4000, .height = 4000}, {0xFF, 1, 0xFF, 2, 0xFF, 3, 0xFF, 4}), "4000 x 4000"},
      {pcxFile({.width = 100, .height = 100, .planes = 1, .encoding = 0}, {1, 2, 3, 4, 5, 6, 7, 8}), "100 x 100"},
  };
  for (const auto& [file, size] : claims) {
    writeBytes("claim.pcx", file);
    const ToolRun run = pcx("to-ppm claim.pcx out.ppm");
    EXPECT_TRUE(refused(run, "kestrix-pcx: claim.pcx: "));
    EXPECT_TRUE(refused(run, size));
  }
}

TEST_F(PcxTool, ReadsNoDeviceNeitherWaitsOnAFifoNorReplacesItsInput) {
  writeBytes("in.ppm", textBytes("P6 1 1 255\nabc"));
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  const std::vector<std::pair<std::string, std::string>> refusals = {
      {"to-ppm fifo out.ppm", "NO ES DE FORMATO PCX"},  // nobody writes it: it reads as empty
      {"to-ppm /dev/zero out.ppm", "it is a device"},
      {"to-pcx in.ppm in.ppm", "it is the input"},
  };
  for (const auto& [command, why] : refusals) EXPECT_TRUE(refused(pcx(command), why)) << command;
  EXPECT_EQ(readBytes("in.ppm"), textBytes("P6 1 1 255\nabc"));
}

}  // namespace
