// The game's artwork: the sprites read as intended, the committed files in assets/ are
// exactly what the tools make from the source, and the game reads them back as drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "display/resource.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tools/art/art.h"

namespace {

const Picture& find(const std::vector<Picture>& pictures, const std::string& name) {
  return *std::find_if(pictures.begin(), pictures.end(), [&](const Picture& p) { return p.name == name; });
}

TEST(Art, SpritesShowTheBackgroundAroundThemAndTheLeftOnesMirrorTheRight) {
  const std::vector<Picture> pictures = gamePictures();
  for (const char* name : {"pacod1.pcx", "pacod2.pcx", "pacodf.pcx", "pompa.pcx", "malo1.pcx"}) {
    const Picture& p = find(pictures, name);
    const auto black = std::count(p.pixels.begin(), p.pixels.end(), 0u);
    EXPECT_EQ(p.pixels.front() | p.pixels.back(), 0u) << name << ": the corners are transparent";
    EXPECT_GT(black, 40) << name;
    EXPECT_GT(256 - black, 60) << name << " is mostly drawn";
  }
  EXPECT_EQ(find(pictures, "pompa.pcx").pixels[8 * 16 + 8], 0u);  // the bubble is a ring
  EXPECT_EQ(std::count(find(pictures, "bloque.pcx").pixels.begin(), find(pictures, "bloque.pcx").pixels.end(), 0u), 0);
  for (auto [left, right] : {std::pair{"pacoi1.pcx", "pacod1.pcx"}, {"pacoi2.pcx", "pacod2.pcx"},
                             {"pacoif.pcx", "pacodf.pcx"}}) {
    for (std::size_t i = 0; i < 256; ++i) {
      ASSERT_EQ(find(pictures, left).pixels[i], find(pictures, right).pixels[i / 16 * 16 + 15 - i % 16]) << left << i;
    }
  }
}

class Assets : public TempFolderTest {};

TEST_F(Assets, TheToolsRemakeTheCommittedFilesAndTheGameReadsThePicturesAsDrawn) {
  ASSERT_EQ(runTool(KESTRIX_ART_PATH, ".").status, 0);
  std::string members;
  for (const Picture& picture : gamePictures()) {
    EXPECT_EQ(readBytes(picture.name), readBytes(KESTRIX_ASSETS_DIR "/" + picture.name)) << picture.name;
    members += " " + picture.name;
  }
  ASSERT_EQ(runTool(KESTRIX_PAK_PATH, "create kestrix.pak" + members).status, 0);
  EXPECT_EQ(readBytes("kestrix.pak"), readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak"));

  archivePath = KESTRIX_ASSETS_DIR "/kestrix.pak";
  for (const Picture& picture : gamePictures()) {
    std::vector<std::uint32_t> loaded(picture.pixels.size());
    std::string name = picture.name;
    loadPcx(name.data(), loaded.data(), loaded.size() * 4, nullptr);
    EXPECT_EQ(loaded, picture.pixels) << picture.name;
  }
}

}  // namespace
