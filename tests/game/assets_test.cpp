// The game's pictures and the frame composed from them, from pictures made in each test:
// every pixel of a frame against a plain drawing of the background, tiles, bubbles and player.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
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

// In load order; each sprite has its own red level, and green and blue name the pixel.
const std::array<const char*, 8> spriteNames = {"pacoi1.pcx", "pacoi2.pcx", "pacod1.pcx", "pacod2.pcx",
                                                "pacoif.pcx", "pacodf.pcx", "pompa.pcx",  "malo1.pcx"};
enum Sprite { leftWalk1, leftWalk2, rightWalk1, rightWalk2, leftFiring, rightFiring, bubble, spare };

std::uint32_t spritePixel(int sprite, int x, int y) {  // a transparent top row and left column
  return x == 0 || y == 0 ? 0 : static_cast<std::uint32_t>(0x40 + sprite) << 16 | static_cast<std::uint32_t>(x << 8 | y);
}
std::uint32_t backgroundPixel(int x, int y) { return 0x00200000u | static_cast<std::uint32_t>(x % 256 << 8 | y); }
// A brick with black mortar every third pixel, where the background shows through.
std::uint32_t tilePixel(int x, int y) { return (x + y) % 3 == 0 ? 0 : 0x00A00000u | static_cast<std::uint32_t>(x * 8 + y); }

Bytes pictureFile(int width, int height, int planes, const std::function<std::uint32_t(int, int)>& pixel) {
  std::vector<std::uint32_t> pixels;
  for (int i = 0; i < width * height; ++i) pixels.push_back(pixel(i % width, i / width));
  const std::vector<std::uint8_t> indices(pixels.size(), 7);
  return planes == 3 ? encodePcx3(pixels.data(), width, height, true)
                     : encodePcx1(indices.data(), width, height, true, nullptr);
}

std::vector<PakMember> gameFiles() {
  std::vector<PakMember> files;
  for (int i = 0; i < 8; ++i)
    files.push_back({spriteNames[static_cast<std::size_t>(i)], pictureFile(16, 16, 3, [i](int x, int y) { return spritePixel(i, x, y); })});
  files.push_back({"fondo.pcx", pictureFile(320, 240, 3, backgroundPixel)});
  files.push_back({"bloque.pcx", pictureFile(8, 8, 3, tilePixel)});
  return files;
}

// The frame drawn pixel by pixel: background, a tile on every block, the bubbles in slot
// order, the player's sprite; each at (x, y − 16) for the game's objects, black transparent.
std::vector<std::uint32_t> expectedFrame(Sprite playerSprite) {
  std::vector<std::uint32_t> frame;
  for (int i = 0; i < 320 * 240; ++i) frame.push_back(backgroundPixel(i % 320, i / 320));
  const auto draw = [&](int left, int top, int size, const std::function<std::uint32_t(int, int)>& pixel) {
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        if (left + x >= 0 && left + x < 320 && top + y >= 0 && top + y < 240 && pixel(x, y) != 0)
          frame[static_cast<std::size_t>((top + y) * 320 + left + x)] = pixel(x, y);
      }
    }
  };
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c)
      if (isBlock(levelCell(c, r))) draw(c * 8, r * 8, 8, tilePixel);
  }
  for (const Bubble& b : bubblePool->slots) {
    if (b.x != freeSlotMarker) draw(b.x, b.y - 16, 16, [](int x, int y) { return spritePixel(bubble, x, y); });
  }
  draw(player->x, player->y - 16, 16, [&](int x, int y) { return spritePixel(playerSprite, x, y); });
  return frame;
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
  static void expectFrame(Sprite playerSprite) {
    const std::uint32_t* frame = composeFrame();
    EXPECT_TRUE(std::vector<std::uint32_t>(frame, frame + 320 * 240) == expectedFrame(playerSprite));
  }
};

// The sprite follows the facing, then the fire timer, then the parity of x. Bubbles are
// clipped at the frame's edge, and a later slot covers an earlier one.
TEST_F(Composition, FramesShowTheBackdropTheBubblesAndThePlayersSprite) {
  loadAssets();
  bubblePool->slots[3] = Bubble{-10, 100, 0, 0};
  bubblePool->slots[5] = Bubble{100, 200, 0, 0};
  bubblePool->slots[9] = Bubble{104, 202, 0, 0};
  struct Case {
    int facing, fireTimer, x;
    Sprite expected;
  };
  for (auto [facing, fireTimer, x, expected] : {Case{1, 0, 10, rightWalk2}, {1, 0, 11, rightWalk1}, {1, 10, 10, rightFiring},
                                                {1, 1, 11, rightFiring}, {-1, 0, 9, leftWalk1}, {-1, 0, 12, leftWalk2},
                                                {-1, 4, 9, leftFiring}, {0, 0, 9, leftWalk1}}) {
    *player = Player{.x = x, .y = 120, .facing = facing, .fireTimer = fireTimer};
    SCOPED_TRACE(expected);
    expectFrame(expected);
  }
  const long before = allocationCount();
  for (int i = 0; i < 10; ++i) composeFrame();
  EXPECT_EQ(allocationCount() - before, 0);
}

TEST_F(Composition, PicturesLoadFromTheArchiveAlone) {
  writeBytes("kestrix.pak", buildArchive(gameFiles()));
  for (const PakMember& file : gameFiles()) std::filesystem::remove(file.name);
  archivePath = "kestrix.pak";
  loadAssets();
  expectFrame(rightWalk2);
  for (int i = 0; i < spritePixels; ++i) EXPECT_EQ(assets->spare[i], spritePixel(spare, i % 16, i / 16)) << i;
}

using CompositionDeathTest = Composition;

TEST_F(CompositionDeathTest, AMissingPictureOrOneOfAnotherSizeEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* name;
    int width, height, planes;
    const char* expected;
  };
  for (auto [name, width, height, planes, expected] :
       {Case{"fondo.pcx", 10, 10, 3, "320 x 240"}, {"fondo.pcx", 320, 240, 1, "320 x 240"}, {"bloque.pcx", 16, 16, 3, "8 x 8"},
        {"pompa.pcx", 8, 32, 3, "16 x 16"}, {"malo1.pcx", 17, 17, 3, "16 x 16"}}) {
    const Bytes original = readBytes(name);
    writeBytes(name, pictureFile(width, height, planes, backgroundPixel));
    EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1),
                "LA IMAGEN " + std::string(name) + " \\(" + std::to_string(width) + " x " + std::to_string(height) +
                    ", " + std::to_string(planes) + " PLANOS\\) DEBE SER DE " + expected + ", 3 PLANOS");
    writeBytes(name, original);
  }
  // The first missing picture in load order is named, as the opener left the name.
  std::filesystem::remove("bloque.pcx");
  std::filesystem::remove("fondo.pcx");
  EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1), "Error: No encuentro el fichero \"fondo.pcx\"");
  std::vector<PakMember> files = gameFiles();
  files.pop_back();
  writeBytes("kestrix.pak", buildArchive(files));
  archivePath = "kestrix.pak";
  EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1), "Error: No encuentro el fichero \"BLOQUE.PCX\"");
}

}  // namespace
