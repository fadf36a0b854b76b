// The frame composed from pictures made here, every pixel against a plain drawing of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/assets.h"
#include "game/game_state.h"
#include "game/level_map.h"
#include "tests/support/allocation_count.h"
#include "tests/support/temp_folder.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

// The pictures in load order: a sprite's red names it, green and blue the pixel, its top row
// and left column transparent; the tile has black mortar every third pixel.
const char* const names[] = {"pacoi1.pcx", "pacoi2.pcx", "pacod1.pcx", "pacod2.pcx", "pacoif.pcx",
                             "pacodf.pcx", "fondo.pcx",  "pompa.pcx",  "malo1.pcx",  "bloque.pcx"};
enum Picture { leftWalk1, leftWalk2, rightWalk1, rightWalk2, leftFiring, rightFiring, background, bubble, spare, tile };

std::uint32_t pixel(int picture, int x, int y) {
  if (picture == background) return 0x00200000u | static_cast<std::uint32_t>(x % 256 << 8 | y);
  if (picture == tile) return (x + y) % 3 == 0 ? 0 : 0x00A00000u | static_cast<std::uint32_t>(x * 8 + y);
  if (x == 0 || y == 0) return 0;
  return static_cast<std::uint32_t>(0x40 + picture) << 16 | static_cast<std::uint32_t>(x << 8 | y);
}

Bytes pictureFile(int picture, int width, int height, int planes = 3) {
  std::vector<std::uint32_t> pixels;
  for (int i = 0; i < width * height; ++i) pixels.push_back(pixel(picture, i % width, i / width));
  const std::vector<std::uint8_t> indices(pixels.size(), 7);
  return planes == 3 ? encodePcx3(pixels.data(), width, height, true)
                     : encodePcx1(indices.data(), width, height, true, nullptr);
}

// The frame drawn pixel by pixel: background, a tile on every block, the bubbles in slot
// order, the player's sprite at (x, y − 16); black is transparent.
std::vector<std::uint32_t> expectedFrame(Picture playerSprite) {
  std::vector<std::uint32_t> frame;
  for (int i = 0; i < 320 * 240; ++i) frame.push_back(pixel(background, i % 320, i / 320));
  const auto draw = [&](int picture, int left, int top) {
    for (int i = 0; i < (picture == tile ? 64 : 256); ++i) {
      const int size = picture == tile ? 8 : 16, x = left + i % size, y = top + i / size;
      if (x >= 0 && x < 320 && y >= 0 && y < 240 && pixel(picture, i % size, i / size) != 0)
        frame[y * 320 + x] = pixel(picture, i % size, i / size);
    }
  };
  for (int i = 0; i < levelRows * levelColumns; ++i) {
    if (isBlock(levelCell(i % levelColumns, i / levelColumns))) draw(tile, i % levelColumns * 8, i / levelColumns * 8);
  }
  for (const Bubble& b : bubblePool->slots) if (b.x != freeSlotMarker) draw(bubble, b.x, b.y - 16);
  draw(playerSprite, player->x, player->y - 16);
  return frame;
}

class Composition : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (int i = 0; i < 10; ++i) {
      const int size = i == tile ? 8 : 16;
      writeBytes(names[i], i == background ? pictureFile(i, 320, 240) : pictureFile(i, size, size));
    }
  }
  void TearDown() override {
    releaseAssets();
    TempFolderTest::TearDown();
  }
};

// The sprite follows the facing, then the fire timer, then the parity of x. Bubbles are
// clipped at the frame's edge, and a later slot covers an earlier one.
TEST_F(Composition, FramesShowTheBackdropTheBubblesAndThePlayersSprite) {
  loadAssets();
  bubblePool->slots[3] = Bubble{-10, 100, 0, 0};
  bubblePool->slots[5] = Bubble{100, 200, 0, 0};
  bubblePool->slots[9] = Bubble{104, 202, 0, 0};
  struct Case { int facing, fireTimer, x; Picture expected; };
  for (auto [facing, fireTimer, x, expected] :
       {Case{1, 0, 10, rightWalk2}, {1, 0, 11, rightWalk1}, {1, 10, 10, rightFiring}, {1, 1, 11, rightFiring},
        {-1, 0, 9, leftWalk1}, {-1, 0, 12, leftWalk2}, {-1, 1, 9, leftFiring}, {0, 0, 9, leftWalk1}}) {
    *player = Player{.x = x, .y = 120, .facing = facing, .fireTimer = fireTimer};
    const std::uint32_t* frame = composeFrame();
    EXPECT_TRUE(std::vector<std::uint32_t>(frame, frame + 320 * 240) == expectedFrame(expected)) << expected;
  }
  const long before = allocationCount();
  for (int i = 0; i < 10; ++i) composeFrame();
  EXPECT_EQ(allocationCount() - before, 0);
}

using CompositionDeathTest = Composition;

TEST_F(CompositionDeathTest, AMissingPictureOrOneOfAnotherSizeEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case { const char* name; int width, height, planes; const char* expected; };
  for (auto [name, width, height, planes, expected] :
       {Case{"fondo.pcx", 10, 10, 3, "320 x 240"}, {"fondo.pcx", 320, 240, 1, "320 x 240"},
        {"bloque.pcx", 16, 16, 3, "8 x 8"}, {"pompa.pcx", 16, 32, 3, "16 x 16"}, {"malo1.pcx", 17, 17, 3, "16 x 16"}}) {
    const Bytes original = readBytes(name);
    writeBytes(name, pictureFile(background, width, height, planes));
    EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1),
                "LA IMAGEN " + std::string(name) + " \\(" + std::to_string(width) + " x " + std::to_string(height) +
                    ", " + std::to_string(planes) + " PLANOS\\) DEBE SER DE " + expected + ", 3 PLANOS");
    writeBytes(name, original);
  }
  // The first missing picture in load order is named, as the opener left the name.
  std::filesystem::remove("bloque.pcx");
  std::filesystem::remove("fondo.pcx");
  EXPECT_EXIT(loadAssets(), ::testing::ExitedWithCode(1), "Error: No encuentro el fichero \"fondo.pcx\"");
}

}  // namespace
