// kestrix-pcx in both directions: a PPM from an editor becomes a picture the game loads,
// and any picture the loader takes comes back out as the game sees it, read once from a
// pipe. Its refusals are in tool_files_test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/pcx_bytes.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

Bytes joined(const std::string& head, const Bytes& tail) {
  Bytes bytes = textBytes(head);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

class PcxTool : public TempFolderTest {};

TEST_F(PcxTool, APpmBecomesAThreePlanePictureTheLoaderReads) {
  // A comment in the header, as editors write them; 16-bit samples, scaled to 8 bits.
  for (const auto& [ppm, pixels] : std::vector<std::pair<Bytes, std::vector<std::uint32_t>>>{
           {joined("P6\n# made by hand\n3 1\n255\n", {0, 15, 30, 45, 60, 75, 225, 240, 255}),
            {0x000F1E, 0x2D3C4B, 0xE1F0FF}},
           {joined("P6 1 1 65535\n", {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00}), {0xFF8000}}}) {
    writeBytes("in.ppm", ppm);
    ASSERT_EQ(runTool(KESTRIX_PCX_PATH, "to-pcx in.ppm out.pcx").status, 0);
    EXPECT_EQ(decodePixels(readBytes("out.pcx"), pixels.size()), pixels);
  }
}

TEST_F(PcxTool, APictureComesOutAsTheGameSeesItOnePlaneThroughItsPaletteOrAsGrey) {
  const std::uint8_t indices[] = {0, 1, 2};
  const std::uint32_t rgb[] = {0x000F1E, 0x2D3C4B, 0xE1F0FF};
  Bytes palette(768, 0);
  palette[3] = 0xAA;  // entry 1: red
  palette[8] = 0xBB;  // entry 2: blue
  for (const auto& [pcx, ppm] : std::vector<std::pair<Bytes, Bytes>>{
           {encodePcx3(rgb, 1, 3, true), joined("P6\n1 3\n255\n", {0, 15, 30, 45, 60, 75, 225, 240, 255})},
           {encodePcx1(indices, 3, 1, true, palette.data()), joined("P6\n3 1\n255\n", {0, 0, 0, 0xAA, 0, 0, 0, 0, 0xBB})},
           {encodePcx1(indices, 3, 1, false, nullptr), joined("P6\n3 1\n255\n", {0, 0, 0, 1, 1, 1, 2, 2, 2})}}) {
    writeBytes("in.pcx", pcx);
    ASSERT_EQ(runShell("cat in.pcx | '" KESTRIX_PCX_PATH "' to-ppm /dev/stdin out.ppm").status, 0);
    EXPECT_EQ(readBytes("out.ppm"), ppm);
  }
}

}  // namespace
