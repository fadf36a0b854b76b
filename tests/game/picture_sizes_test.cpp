// Picture sizes: a picture's size read by name before it is loaded, and the game's refusal
// of pictures of another size than its drawing assumes.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "game/assets.h"
#include "tests/support/temp_folder.h"
#include "tools/pak/pak_archive.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

namespace fs = std::filesystem;

Bytes pictureFile(int width, int height, int planes) {
  const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), 0x00406080);
  const std::vector<std::uint8_t> indices(pixels.size(), 7);
  return planes == 3 ? encodePcx3(pixels.data(), width, height, true)
                     : encodePcx1(indices.data(), width, height, true, nullptr);
}

class PictureSizes : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const char* name : {"fondo.pcx", "pacod1.pcx", "pacod2.pcx", "pacoi1.pcx", "pacoi2.pcx", "pacodf.pcx",
                             "pacoif.pcx", "pompa.pcx", "malo1.pcx", "bloque.pcx"}) {
      fs::copy_file(fs::path(KESTRIX_ASSETS_DIR) / name, name);
    }
  }
  void TearDown() override {
    releaseAssets();
    TempFolderTest::TearDown();
  }
};

TEST_F(PictureSizes, ThePictureSizeIsReadByNameTheWayLoadPcxOpensIt) {
  writeBytes("kestrix.pak", buildArchive({{"Indices.pcx", pictureFile(7, 5, 1)}}));
  archivePath = "kestrix.pak";
  char member[] = "indices.pcx";
  const PcxSize size = loadPcxSize(member);
  EXPECT_EQ(std::vector<int>({size.width, size.height, size.planes}), std::vector<int>({7, 5, 1}));
  EXPECT_STREQ(member, "INDICES.PCX");
  char plain[] = "fondo.pcx";  // not in the archive: the plain file
  EXPECT_EQ(loadPcxSize(plain).width, 320);
}

using PictureSizesDeathTest = PictureSizes;

TEST_F(PictureSizesDeathTest, APictureOfAnotherSizeThanTheDrawingAssumesEndsTheProgram) {
  struct Case {
    const char* name;
    int width, height, planes;
    const char* expected;
  };
  for (const Case& c : {Case{"fondo.pcx", 10, 10, 3, "320 x 240"}, Case{"fondo.pcx", 320, 240, 1, "320 x 240"},
                        Case{"bloque.pcx", 16, 16, 3, "8 x 8"}, Case{"pompa.pcx", 8, 32, 3, "16 x 16"},
                        Case{"malo1.pcx", 17, 17, 3, "16 x 16"}}) {
    const Bytes original = readBytes(c.name);
    writeBytes(c.name, pictureFile(c.width, c.height, c.planes));
    EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1),
                "LA IMAGEN " + std::string(c.name) + " \\(" + std::to_string(c.width) + " x " +
                    std::to_string(c.height) + ", " + std::to_string(c.planes) + " PLANOS\\) DEBE SER DE " +
                    c.expected + ", 3 PLANOS");
    writeBytes(c.name, original);
  }
}

}  // namespace
