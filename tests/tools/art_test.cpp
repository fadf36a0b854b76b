// The game's artwork: the pictures have the sizes the drawing assumes and read as intended,
// and the committed files in assets/ are exactly what the tools make from the source.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/pcx.h"
#include "display/resource.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tools/art/art.h"

namespace {

const std::string assets = KESTRIX_ASSETS_DIR;
const char* const loadOrder[] = {"pacoi1.pcx", "pacoi2.pcx", "pacod1.pcx", "pacod2.pcx", "pacoif.pcx",
                                 "pacodf.pcx", "fondo.pcx",  "pompa.pcx",  "malo1.pcx",  "bloque.pcx"};

const Picture& find(const std::vector<Picture>& pictures, const std::string& name) {
  for (const Picture& p : pictures) {
    if (p.name == name) return p;
  }
  throw std::runtime_error("no picture " + name);
}

int countBlack(const Picture& p, int firstRow = 0, int lastRow = -1) {
  if (lastRow < 0) lastRow = p.height - 1;
  int n = 0;
  for (int y = firstRow; y <= lastRow; ++y) {
    for (int x = 0; x < p.width; ++x) n += p.pixels[static_cast<std::size_t>(y * p.width + x)] == 0;
  }
  return n;
}

bool rowsEqual(const Picture& a, const Picture& b, int first, int last) {
  for (int y = first; y <= last; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.pixels[static_cast<std::size_t>(y * a.width + x)] != b.pixels[static_cast<std::size_t>(y * b.width + x)]) {
        return false;
      }
    }
  }
  return true;
}

TEST(Art, TenPicturesInLoadOrderWithTheSizesTheDrawingAssumes) {
  const std::vector<Picture> pictures = gamePictures();
  ASSERT_EQ(pictures.size(), 10u);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Picture& p = pictures[i];
    EXPECT_EQ(p.name, loadOrder[i]);
    const int side = p.name == "fondo.pcx" ? 0 : p.name == "bloque.pcx" ? 8 : 16;
    if (side == 0) {
      EXPECT_EQ(p.width, 320);
      EXPECT_EQ(p.height, 240);
    } else {
      EXPECT_EQ(p.width, side) << p.name;
      EXPECT_EQ(p.height, side) << p.name;
    }
    EXPECT_EQ(p.pixels.size(), static_cast<std::size_t>(p.width * p.height));
    for (std::uint32_t pixel : p.pixels) ASSERT_EQ(pixel & 0xFF000000u, 0u) << p.name;
  }
}

TEST(Art, SpritesLetTheBackgroundThroughAroundThemAndTheBlockIsSolid) {
  const std::vector<Picture> pictures = gamePictures();
  for (const char* name : {"pacod1.pcx", "pacod2.pcx", "pacodf.pcx", "pompa.pcx", "malo1.pcx"}) {
    const Picture& p = find(pictures, name);
    EXPECT_EQ(p.pixels.front(), 0u) << name << ": the corners are transparent";
    EXPECT_EQ(p.pixels.back(), 0u) << name;
    EXPECT_GT(countBlack(p), 40) << name;
    EXPECT_GT(256 - countBlack(p), 60) << name << " is mostly drawn";
  }
  // The bubble is a ring: its middle shows the background.
  const Picture& bubble = find(pictures, "pompa.pcx");
  EXPECT_EQ(bubble.pixels[8 * 16 + 8], 0u);
  EXPECT_EQ(countBlack(find(pictures, "bloque.pcx")), 0);
}

TEST(Art, TheWalkPicturesDifferInTheLegsAndTheLeftOnesMirrorTheRight) {
  const std::vector<Picture> pictures = gamePictures();
  const Picture& stride = find(pictures, "pacod1.pcx");
  const Picture& pass = find(pictures, "pacod2.pcx");
  EXPECT_TRUE(rowsEqual(stride, pass, 0, 10)) << "the same head";
  EXPECT_FALSE(rowsEqual(stride, pass, 13, 15)) << "different legs";
  EXPECT_FALSE(rowsEqual(stride, find(pictures, "pacodf.pcx"), 7, 9)) << "blowing shows in the face";

  for (auto [left, right] : {std::pair{"pacoi1.pcx", "pacod1.pcx"}, {"pacoi2.pcx", "pacod2.pcx"},
                             {"pacoif.pcx", "pacodf.pcx"}}) {
    const Picture& l = find(pictures, left);
    const Picture& r = find(pictures, right);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        ASSERT_EQ(l.pixels[static_cast<std::size_t>(y * 16 + x)], r.pixels[static_cast<std::size_t>(y * 16 + 15 - x)])
            << left << " at " << x << "," << y;
      }
    }
  }
}

class Assets : public TempFolderTest {};

TEST_F(Assets, TheToolsRemakeTheCommittedPicturesAndArchiveByteForByte) {
  const ToolRun art = runTool(KESTRIX_ART_PATH, folder_.string());
  ASSERT_EQ(art.status, 0) << art.output;
  std::string members;
  for (const char* name : loadOrder) {
    EXPECT_EQ(readBytes((folder_ / name).string()), readBytes(assets + "/" + name)) << name;
    members += " '" + (folder_ / name).string() + "'";
  }
  const ToolRun pak = runTool(KESTRIX_PAK_PATH, "create '" + (folder_ / "kestrix.pak").string() + "'" + members);
  ASSERT_EQ(pak.status, 0) << pak.output;
  EXPECT_EQ(readBytes((folder_ / "kestrix.pak").string()), readBytes(assets + "/kestrix.pak"));
}

TEST_F(Assets, TheGameReadsEveryPictureFromTheArchiveAsDrawn) {
  archivePath = KESTRIX_ASSETS_DIR "/kestrix.pak";
  for (const Picture& picture : gamePictures()) {
    std::vector<std::uint32_t> loaded(picture.pixels.size());
    std::string name = picture.name;
    loadPcx(name.data(), loaded.data(), loaded.size() * 4, nullptr);
    EXPECT_EQ(loaded, picture.pixels) << picture.name;
  }
}

}  // namespace
