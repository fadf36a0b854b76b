// The game's pictures and the frame composed from them: tiles, bubbles and the player's
// sprite over the background, from pictures made in each test.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/assets.h"
#include "game/game_state.h"
#include "game/level_map.h"
#include "tests/support/allocation_count.h"
#include "tests/support/temp_folder.h"
#include "tools/pak/pak_archive.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

constexpr int width = 320;
constexpr int height = 240;

// The sprites in load order; each draws with its own red level, so a frame pixel tells
// which sprite put it there and, through green and blue, which of its pixels it is.
const std::array<const char*, 8> spriteNames = {"pacoi1.pcx", "pacoi2.pcx", "pacod1.pcx", "pacod2.pcx",
                                                "pacoif.pcx", "pacodf.pcx", "pompa.pcx",  "malo1.pcx"};
enum Sprite { leftWalk1, leftWalk2, rightWalk1, rightWalk2, leftFiring, rightFiring, bubble, spare };

std::uint32_t spritePixel(int sprite, int x, int y) {
  if (x == 0 || y == 0) return 0;  // a transparent top row and left column
  return static_cast<std::uint32_t>(0x40 + sprite) << 16 | static_cast<std::uint32_t>(x) << 8 |
         static_cast<std::uint32_t>(y);
}

std::uint32_t backgroundPixel(int x, int y) {
  return 0x00200000u | static_cast<std::uint32_t>(x % 256) << 8 | static_cast<std::uint32_t>(y);
}

// A brick with black mortar every third pixel: the background shows through there.
std::uint32_t tilePixel(int x, int y) { return (x + y) % 3 == 0 ? 0 : 0x00A00000u | static_cast<std::uint32_t>(x * 8 + y); }

std::vector<std::uint32_t> picture(int w, int h, std::uint32_t (*pixel)(int, int)) {
  std::vector<std::uint32_t> out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) out.push_back(pixel(x, y));
  }
  return out;
}

std::vector<unsigned char> spriteFile(int sprite) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) pixels.push_back(spritePixel(sprite, x, y));
  }
  return encodePcx3(pixels.data(), 16, 16, true);
}

std::vector<unsigned char> backgroundFile() {
  const auto pixels = picture(width, height, backgroundPixel);
  return encodePcx3(pixels.data(), width, height, true);
}

std::vector<unsigned char> tileFile() {
  const auto pixels = picture(8, 8, tilePixel);
  return encodePcx3(pixels.data(), 8, 8, false);
}

// Every picture of the game, by name.
std::vector<PakMember> gameFiles() {
  std::vector<PakMember> files;
  for (int i = 0; i < 8; ++i) files.push_back({spriteNames[static_cast<std::size_t>(i)], spriteFile(i)});
  files.push_back({"fondo.pcx", backgroundFile()});
  files.push_back({"bloque.pcx", tileFile()});
  return files;
}

class Composition : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const PakMember& file : gameFiles()) writeBytes(file.name, file.data);
  }
  void TearDown() override {
    releaseAssets();
    TempFolderTest::TearDown();
  }

  std::uint32_t at(int x, int y) const { return frame[static_cast<std::size_t>(y * width + x)]; }
  int spriteAt(int x, int y) const { return static_cast<int>(at(x, y) >> 16) - 0x40; }

  void compose() { frame = composeFrame(); }

  const std::uint32_t* frame = nullptr;
};

TEST_F(Composition, TilesCoverEveryBlockCellAndTheBackgroundShowsThroughBlanksAndBlackPixels) {
  loadAssets();
  player->x = 150;  // out of the way, in the open
  player->y = 120;
  compose();
  int tiles = 0;
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c) {
      const bool block = isBlock(levelCell(c, r));
      tiles += block;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          const int fx = c * 8 + x;
          const int fy = r * 8 + y;
          if (fx >= 150 && fx < 166 && fy >= 104 && fy < 120) continue;  // the player
          const std::uint32_t expected = block && tilePixel(x, y) != 0 ? tilePixel(x, y) : backgroundPixel(fx, fy);
          ASSERT_EQ(at(fx, fy), expected) << "cell " << c << "," << r << " pixel " << x << "," << y;
        }
      }
    }
  }
  EXPECT_EQ(tiles, 295);
}

TEST_F(Composition, BubblesAreClippedAndALaterSlotCoversAnEarlierOne) {
  loadAssets();
  bubblePool->slots[3] = Bubble{-10, 100, 0, 0};  // only its right 6 columns are in the frame
  bubblePool->slots[5] = Bubble{100, 200, 0, 0};
  bubblePool->slots[9] = Bubble{104, 202, 0, 0};  // over slot 5, 4 right and 2 down
  compose();

  // The left wall's tiles lie under it: where the bubble is transparent, the tile (or the
  // background through the tile's black) shows.
  for (int y = 84; y < 100; ++y) {
    for (int x = 0; x < 6; ++x) {
      const std::uint32_t bubbleHere = spritePixel(bubble, x + 10, y - 84);
      const std::uint32_t underneath = tilePixel(x, y % 8) != 0 ? tilePixel(x, y % 8) : backgroundPixel(x, y);
      ASSERT_EQ(at(x, y), bubbleHere != 0 ? bubbleHere : underneath) << x << "," << y;
    }
    ASSERT_NE(spriteAt(6, y), bubble) << "column 6 is past the bubble's right edge, row " << y;
  }
  EXPECT_EQ(at(104 + 3, 186 + 5), spritePixel(bubble, 3, 5));   // the later bubble on top
  EXPECT_EQ(at(101, 185), spritePixel(bubble, 1, 1));           // the earlier one where it is alone
}

TEST_F(Composition, AFreeSlotIsNeverDrawn) {
  loadAssets();
  compose();
  const std::vector<std::uint32_t> empty(frame, frame + width * height);
  bubblePool->slots[0].y = 150;  // x stays the free-slot marker
  compose();
  EXPECT_TRUE(std::equal(empty.begin(), empty.end(), frame));
}

// The sprite follows the facing, then the fire timer, then the parity of x.
TEST_F(Composition, ThePlayersSpriteFollowsFacingFireTimerAndTheParityOfX) {
  loadAssets();
  struct Case {
    int facing, fireTimer, x;
    Sprite expected;
  };
  const Case cases[] = {
      {1, 0, 10, rightWalk2}, {1, 0, 11, rightWalk1},   {1, 10, 10, rightFiring}, {1, 1, 11, rightFiring},
      {-1, 0, 9, leftWalk1},  {-1, 0, 12, leftWalk2},   {-1, 4, 9, leftFiring},   {0, 0, 9, leftWalk1},
  };
  for (const Case& c : cases) {
    player->facing = c.facing;
    player->fireTimer = c.fireTimer;
    player->x = c.x;
    player->y = 120;
    compose();
    EXPECT_EQ(spriteAt(c.x + 5, 120 - 16 + 7), c.expected) << "facing " << c.facing << " timer " << c.fireTimer << " x "
                                                            << c.x;
    EXPECT_EQ(at(c.x + 5, 104 + 7), spritePixel(c.expected, 5, 7));  // drawn at (x, y − 16)
  }
}

TEST_F(Composition, ComposingAFrameAllocatesNothing) {
  loadAssets();
  for (Bubble& b : bubblePool->slots) b = Bubble{100, 100, 0, 0};
  const long before = allocationCount();
  for (int i = 0; i < 10; ++i) compose();
  EXPECT_EQ(allocationCount() - before, 0);
}

TEST_F(Composition, PicturesLoadFromTheArchiveOrFromPlainFiles) {
  // Only the archive: the plain files are gone.
  writeBytes("kestrix.pak", buildArchive(gameFiles()));
  for (const PakMember& file : gameFiles()) std::filesystem::remove(file.name);
  archivePath = "kestrix.pak";
  loadAssets();
  for (int y = 1; y < 16; ++y) EXPECT_EQ(assets->spare[y * 16 + 3], spritePixel(spare, 3, y));
  EXPECT_EQ(assets->block[9], tilePixel(1, 1));
  releaseAssets();

  // Only plain files, with the archive named but missing.
  std::filesystem::remove("kestrix.pak");
  for (const PakMember& file : gameFiles()) writeBytes(file.name, file.data);
  loadAssets();
  EXPECT_EQ(assets->background[239 * 320 + 319], backgroundPixel(319, 239));
  EXPECT_EQ(assets->rightFiring[17], spritePixel(rightFiring, 1, 1));
}

using CompositionDeathTest = Composition;

TEST_F(CompositionDeathTest, TheFirstMissingPictureInLoadOrderEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::filesystem::remove("bloque.pcx");
  EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1), "Error: No encuentro el fichero \"bloque.pcx\"");

  std::filesystem::remove("fondo.pcx");
  EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1), "Error: No encuentro el fichero \"fondo.pcx\"");

  // With an archive that lacks it, the name is reported as the opener upper-cased it.
  std::vector<PakMember> files = gameFiles();
  files.pop_back();
  writeBytes("kestrix.pak", buildArchive(files));
  archivePath = "kestrix.pak";
  EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1), "Error: No encuentro el fichero \"BLOQUE.PCX\"");
}

}  // namespace
