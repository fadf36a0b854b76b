// The game's rules, driven tick by tick with key scripts, and the map under them.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "display/keyboard.h"
#include "game/game_state.h"
#include "game/level_map.h"
#include "tools/trace/tick_driver.h"

namespace {

constexpr TickKeys none{}, left{.left = true}, right{.right = true}, up{.up = true}, space{.space = true};

TEST(LevelMap, HoldsTheBlocksOfTheBoxWithANulAfterEveryRowAndOpenSkyOutside) {
  int blocks = 0;
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c) {
      blocks += isBlock(levelCell(c, r));
      EXPECT_TRUE(isBlock(levelCell(c, r)) || isBlank(levelCell(c, r))) << c << "," << r;
    }
    EXPECT_EQ(levelCell(levelColumns, r), '\0') << r;
  }
  EXPECT_EQ(blocks, 295);  // three full rows, the side walls and the platforms
  for (auto [c, r] : {std::pair{5, -1}, {5, -1000}, {-1, 10}, {41, 10}, {5, 30}, {-100000, -100000}})
    EXPECT_TRUE(isBlank(levelCell(c, r))) << c << "," << r;
}

// From a start ({}: the game's), key phases, then the driver's line and the jump sounds heard.
struct Script { Player start; std::vector<std::pair<TickKeys, int>> phases; const char* line; int sounds; };

TEST(Tick, KeyScripts) {
  const Script scripts[] = {
      // Falling a pixel a tick onto the platform of row 23 (pixels 56–135) with either foot...
      {{100, 150}, {{none, 10}}, "10 100 160 1 0 0 0", 0},
      {{100, 150}, {{none, 100}}, "100 100 183 1 0 0 0", 0},
      {{129, 150}, {{none, 60}}, "60 129 183 1 0 0 0", 0},
      // ...and not with the right foot (x + 15) on pixel 55 or the left on pixel 136.
      {{40, 150}, {{none, 100}}, "100 40 231 1 0 0 0", 0},
      {{136, 150}, {{none, 100}}, "100 136 207 1 0 0 0", 0},
      {{40, 183}, {{up, 1}}, "1 40 184 1 0 0 0", 0},
      // Walls stop the walk, and the facing turns even when the step is blocked.
      {{}, {{left, 7}}, "7 8 231 -1 0 0 0", 0},
      {{}, {{right, 400}}, "400 296 231 1 0 0 0", 0},
      {{296, 231, -1}, {{right, 1}}, "1 296 231 1 0 0 0", 0},
      {{100, 231}, {{TickKeys{.left = true, .right = true}, 3}}, "3 100 231 1 0 0 0", 0},  // left first
      // A jump sounds once, rises 34 pixels from the next tick on, and falls back.
      {{}, {{up, 1}}, "1 10 231 1 34 0 1", 1},
      {{}, {{up, 35}}, "35 10 197 1 0 0 0", 1},
      {{}, {{up, 35}, {none, 40}}, "75 10 231 1 0 0 0", 1},
      {{100, 100}, {{up, 5}}, "5 100 105 1 0 0 0", 0},  // nothing underfoot
      {{64, 183}, {{up, 35}}, "35 64 149 1 34 0 1", 2},  // a foot in a block at the top: jumps again
      // It rises through the platform of row 23 and lands on top of it.
      {{100, 191}, {{none, 40}, {up, 1}, {none, 34}}, "75 100 173 1 0 0 0", 1},
      {{100, 191}, {{none, 40}, {up, 1}, {none, 44}}, "85 100 183 1 0 0 0", 1},
      // Column 40 holds each row's NUL: no block for falling, not blank for walking or jumping.
      {{305, 100}, {{none, 1}}, "1 305 101 1 0 0 0", 0},
      {{305, 100}, {{up, 1}}, "1 305 101 1 34 0 1", 1},
      {{304, 100}, {{right, 1}}, "1 304 100 1 0 0 0", 0},
      // Space arms, the bubble comes out in front the next tick, and again every ten ticks.
      {{}, {{space, 2}}, "2 10 231 1 0 9 0 0:15,231,30", 0},
      {{}, {{space, 12}}, "12 10 231 1 0 9 0 0:35,231,20 1:15,231,30", 0},
      {{}, {{left, 1}, {space, 2}, {none, 1}}, "4 9 231 -1 0 8 0 0:2,231,-29", 0},
      // A bubble drifts 30 ticks, rises, and is freed when it passes row 0.
      {{}, {{space, 2}, {none, 30}}, "32 10 231 1 0 0 0 0:75,231,0", 0},
      {{}, {{space, 2}, {none, 261}}, "263 10 231 1 0 0 0 0:75,0,0", 0},
      {{}, {{space, 2}, {none, 262}}, "264 10 231 1 0 0 0", 0},
      // A fresh bubble in mid-air carries a jump.
      {{100, 100}, {{space, 1}, {none, 1}, {up, 1}}, "3 100 103 1 34 8 1 0:107,102,29", 1},
  };
  for (const Script& s : scripts) {
    TickDriver driver;
    driver.startUp();
    *player = s.start;
    int sounds = 0;
    for (auto [keys, n] : s.phases) {
      for (int i = 0; i < n; ++i) {
        driver.tick(keys);
        sounds += driver.soundStarted() ? 1 : 0;
      }
    }
    EXPECT_EQ(driver.line(), s.line);
    EXPECT_EQ(sounds, s.sounds) << s.line;
  }
}

// The support window around the player after his fall: x − 8 < bx < x + 16 and y − 2 < by < y + 8.
TEST(Tick, ABubbleSupportsAJumpOnlyStrictlyInsideTheWindow) {
  TickDriver driver;
  const int cases[][3] = {{-8, 0, 0}, {-7, 0, 1}, {15, 0, 1}, {16, 0, 0}, {0, -2, 0}, {0, -1, 1}, {0, 7, 1}, {0, 8, 0}};
  for (auto [dx, dy, jumps] : cases) {
    *player = Player{.x = 100, .y = 100};
    bubblePool->slots[17] = Bubble{100 + dx, 101 + dy, 0, 0};  // he falls to 101 before the scan
    setKeyEntry(VK_UP, 1);
    player->updatePlayer();
    EXPECT_EQ(player->jumpTicks, jumps ? jumpLength : 0) << dx << "," << dy;
  }
}

// Which free slot a bubble takes, the key scripts' slot numbers show.
TEST(Tick, ADueBubbleTakesNoSlotWhenAllAreInUse) {
  TickDriver driver;
  for (Bubble& b : bubblePool->slots) b = Bubble{200, 500, 7, 0};
  BubblePool before = *bubblePool;
  player->fireTimer = fireArmed;
  player->updatePlayer();
  EXPECT_EQ(player->fireTimer, fireArmed - 1);
  EXPECT_EQ(std::memcmp(&before, bubblePool, sizeof before), 0);
}

// Climbing his own bubbles out of the top of the frame (the map lookup stays inside), then
// landing on top of the closed box.
TEST(Tick, ClimbingOnOwnBubblesLeavesTheFrameAndTheGameGoesOn) {
  TickDriver driver;
  driver.startUp();
  int ticks = 0;
  for (; player->y >= 0 && ticks < 2000; ++ticks) driver.tick(TickKeys{.up = true, .space = true});
  EXPECT_LT(ticks, 600);
  for (int i = 0; i < 500; ++i) driver.tick(TickKeys{.up = true, .space = true});
  EXPECT_LT(player->y, -100);
  for (int i = 0; i < 2000; ++i) driver.tick(none);
  EXPECT_EQ(player->y, -8);
  EXPECT_EQ(player->jumpTicks, 0);
}

}  // namespace
