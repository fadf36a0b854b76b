// The game's rules, driven tick by tick with key scripts as the program runs them.
#include <gtest/gtest.h>

#include <string>

#include "audio/audio_clip.h"
#include "display/keyboard.h"
#include "game/game_state.h"
#include "platform/bass_record/bass_record.h"
#include "tools/trace/tick_driver.h"

namespace {

constexpr TickKeys none{};
constexpr TickKeys left{.left = true};
constexpr TickKeys right{.right = true};
constexpr TickKeys up{.up = true};
constexpr TickKeys space{.space = true};

class Tick : public ::testing::Test {
 protected:
  void SetUp() override { driver.startUp(); }

  // Runs n ticks with the same keys held; returns how many of them started the jump sound.
  int run(const TickKeys& keys, int n = 1) {
    int sounds = 0;
    for (int i = 0; i < n; ++i) {
      driver.tick(keys);
      sounds += driver.soundStarted() ? 1 : 0;
    }
    return sounds;
  }

  void placePlayer(int x, int y) {
    player->x = x;
    player->y = y;
  }

  int bubblesInUse() const {
    int n = 0;
    for (const Bubble& b : bubblePool->slots) n += b.x != freeSlotMarker;
    return n;
  }

  TickDriver driver;
};

TEST_F(Tick, WithNoKeyThePlayerStandsAtItsStartAndNothingMoves) {
  EXPECT_EQ(driver.line(), "0 10 231 1 0 0 0");
  EXPECT_EQ(run(none, 200), 0);
  EXPECT_EQ(driver.line(), "200 10 231 1 0 0 0");
}

TEST_F(Tick, APlayerWithoutABlockUnderEitherFootFallsOnePixelPerTickUntilHeLands) {
  // Above the platform of row 23 (columns 7–16): he lands where (y + 1) / 8 reaches row 23.
  placePlayer(100, 150);
  run(none, 10);
  EXPECT_EQ(player->y, 160);
  run(none, 100);
  EXPECT_EQ(player->y, 183);
  EXPECT_EQ(player->x, 100);

  // One foot on the platform's last block is enough to stand.
  placePlayer(128 - 15, 150);  // right foot in column 16
  run(none, 60);
  EXPECT_EQ(player->y, 183);
  placePlayer(129, 150);  // left foot in column 16
  run(none, 60);
  EXPECT_EQ(player->y, 183);
  placePlayer(192, 150);  // both feet over the gaps of rows 23 and 26: down to the floor
  run(none, 100);
  EXPECT_EQ(player->y, 231);
}

TEST_F(Tick, WalkingStopsAtTheWallsAndTurnsTheFacingEvenWhenBlocked) {
  run(left, 2);
  EXPECT_EQ(player->x, 8);
  EXPECT_EQ(player->facing, -1);
  run(left, 5);
  EXPECT_EQ(player->x, 8);

  run(right, 1);
  EXPECT_EQ(player->x, 9);
  EXPECT_EQ(player->facing, 1);
  run(right, 400);
  EXPECT_EQ(player->x, 296);  // the right foot's column 39 is the wall

  run(left, 1);
  EXPECT_EQ(player->facing, -1);
  run(right, 2);  // blocked again, but the facing turns right
  EXPECT_EQ(player->x, 296);
  EXPECT_EQ(player->facing, 1);

  // Both keys: the left step runs first, then the right one.
  placePlayer(100, 231);
  player->facing = -1;
  run(TickKeys{.left = true, .right = true}, 3);
  EXPECT_EQ(player->x, 100);
  EXPECT_EQ(player->facing, 1);
}

TEST_F(Tick, AJumpFromTheFloorSoundsOnceAndRises34PixelsThenFalls) {
  EXPECT_EQ(run(up, 1), 1);
  EXPECT_EQ(player->jumpTicks, 34);
  EXPECT_EQ(player->y, 231);  // the rise starts in the next tick

  // Up stays held: no second jump while rising.
  EXPECT_EQ(run(up, 34), 0);
  EXPECT_EQ(player->y, 231 - 34);
  EXPECT_EQ(player->jumpTicks, 0);

  EXPECT_EQ(run(none, 33), 0);
  EXPECT_EQ(player->y, 231 - 1);
  run(none, 5);
  EXPECT_EQ(player->y, 231);
}

TEST_F(Tick, AJumpRisesThroughBlocks) {
  placePlayer(100, 191);
  run(none, 40);
  ASSERT_EQ(player->y, 207);  // standing on the platform of row 26
  run(up, 1);
  run(none, 34);
  EXPECT_EQ(player->y, 207 - 34);  // rose through row 23 (pixel rows 184–191)
  run(none, 10);
  EXPECT_EQ(player->y, 183);  // and lands on top of it
}

TEST_F(Tick, UpInMidAirWithNothingUnderfootDoesNothing) {
  placePlayer(100, 100);
  EXPECT_EQ(run(up, 5), 0);
  EXPECT_EQ(player->jumpTicks, 0);
  EXPECT_EQ(player->y, 105);
}

// The support window around the player after his move: x − 8 < bx < x + 16 and
// y − 2 < by < y + 8, every bound strict.
TEST_F(Tick, ABubbleSupportsAJumpOnlyStrictlyInsideTheWindow) {
  struct Case {
    int dx, dy;
    bool jumps;
  };
  const Case cases[] = {
      {-8, 0, false}, {-7, 0, true}, {15, 0, true}, {16, 0, false},
      {0, -2, false}, {0, -1, true}, {0, 7, true},  {0, 8, false},
  };
  for (const Case& c : cases) {
    for (Bubble& b : bubblePool->slots) b.x = b.y = freeSlotMarker;
    placePlayer(100, 100);
    player->jumpTicks = 0;
    setKeyEntry(VK_UP, 1);
    // The player falls one pixel in step 1 before the scan; the window is around (100, 101).
    Bubble& bubble = bubblePool->slots[17];
    bubble = Bubble{100 + c.dx, 101 + c.dy, 0, 0};
    player->updatePlayer();
    EXPECT_EQ(player->jumpTicks, c.jumps ? 34 : 0) << "bubble at dx " << c.dx << " dy " << c.dy;
  }
  setKeyEntry(VK_UP, 0);
}

TEST_F(Tick, HoldingSpaceBlowsABubbleEveryTenTicks) {
  run(space, 1);
  EXPECT_EQ(player->fireTimer, 10);
  EXPECT_EQ(bubblesInUse(), 0);

  run(space, 1);  // spawned in front of the player, at his height
  EXPECT_EQ(player->fireTimer, 9);
  EXPECT_EQ(driver.line(), "2 10 231 1 0 9 0 0:15,231,30");

  for (int t = 3; t <= 11; ++t) {
    run(space, 1);
    EXPECT_EQ(bubblesInUse(), 1) << "tick " << t;
  }
  EXPECT_EQ(player->fireTimer, 10);  // back to 0 in tick 11 and armed again at its end
  run(space, 1);
  EXPECT_EQ(bubblesInUse(), 2);
  EXPECT_EQ(bubblePool->slots[1].x, 15);
}

TEST_F(Tick, FacingLeftTheBubbleComesOutOnTheLeftAndDriftsLeft) {
  run(left, 1);
  run(space, 2);
  EXPECT_EQ(driver.line(), "3 9 231 -1 0 9 0 0:4,231,-30");
  run(none, 1);
  EXPECT_EQ(driver.line(), "4 9 231 -1 0 8 0 0:2,231,-29");
}

TEST_F(Tick, ABubbleDriftsSixtyPixelsThenRisesAndIsFreedOnItsUpdate262) {
  run(space, 2);  // spawned in tick 2 at (15, 231)
  run(none, 30);
  EXPECT_EQ(driver.line(), "32 10 231 1 0 0 0 0:75,231,0");
  run(none, 231);  // update 261: y 0
  EXPECT_EQ(bubblePool->slots[0].y, 0);
  run(none, 1);  // update 262: y −1, freed
  EXPECT_EQ(bubblePool->slots[0].x, freeSlotMarker);
  EXPECT_EQ(bubblePool->slots[0].y, freeSlotMarker);
}

TEST_F(Tick, WithEverySlotInUseADueBubbleIsNotSpawnedAndTheTimerRunsOn) {
  for (Bubble& b : bubblePool->slots) b = Bubble{200, 500, 7, 0};
  player->fireTimer = 10;
  BubblePool before = *bubblePool;
  player->updatePlayer();
  EXPECT_EQ(player->fireTimer, 9);
  for (int i = 0; i < bubblePoolSize; ++i) {
    EXPECT_EQ(bubblePool->slots[i].x, before.slots[i].x);
    EXPECT_EQ(bubblePool->slots[i].y, before.slots[i].y);
    EXPECT_EQ(bubblePool->slots[i].drift, before.slots[i].drift);
  }
}

TEST_F(Tick, TheLowestFreeSlotIsTakenFirst) {
  for (Bubble& b : bubblePool->slots) b = Bubble{200, 500, 0, 0};
  bubblePool->slots[7].x = bubblePool->slots[7].y = freeSlotMarker;
  bubblePool->slots[20].x = bubblePool->slots[20].y = freeSlotMarker;
  player->fireTimer = 10;
  player->updatePlayer();
  EXPECT_EQ(bubblePool->slots[7].x, 15);
  EXPECT_EQ(bubblePool->slots[20].x, freeSlotMarker);
}

TEST_F(Tick, JumpingOffAFreshBubbleInMidAir) {
  // Blow a bubble, then fall next to it: a jump from it starts with the sound.
  placePlayer(100, 100);
  player->fireTimer = 10;
  run(none, 1);  // spawned at (105, 101), the player now at y 101
  EXPECT_EQ(run(up, 1), 1);
  EXPECT_EQ(player->jumpTicks, 34);
}

// Column 40 holds each row's NUL: no block for falling, not blank for walking or jumping.
TEST_F(Tick, ProbesInColumnFortyReadTheRowsNul) {
  placePlayer(305, 100);  // right foot's column (305 + 15) / 8 = 40
  run(none, 1);
  EXPECT_EQ(player->y, 101);  // falls: neither column 38 nor the NUL is a block

  placePlayer(305, 100);
  EXPECT_EQ(run(up, 1), 1);  // the NUL under a foot is ground for a jump

  placePlayer(304, 100);  // the walk probe (304 + 16) / 8 = 40 hits the NUL
  player->jumpTicks = 5;
  run(right, 1);
  EXPECT_EQ(player->x, 304);
  EXPECT_EQ(player->facing, 1);
}

// Holding Up and Space, the player jumps off each fresh bubble and climbs out of the top
// of the frame; the map lookup must stay inside the map, and the game must go on.
TEST_F(Tick, ClimbingOnOwnBubblesLeavesTheFrameAndTheGameGoesOn) {
  int ticksToTop = 0;
  while (player->y >= 0 && ticksToTop < 2000) {
    run(TickKeys{.up = true, .space = true}, 1);
    ++ticksToTop;
  }
  EXPECT_LT(player->y, 0);
  EXPECT_LT(ticksToTop, 600);

  run(TickKeys{.up = true, .space = true}, 500);
  const int highest = player->y;
  EXPECT_LT(highest, -100);

  // Let go: he falls back onto the top of the closed box and stands there, above the frame.
  run(none, 2000);
  EXPECT_EQ(player->y, -8);
  EXPECT_EQ(player->jumpTicks, 0);
  const int x = player->x;
  run(none, 10);
  EXPECT_EQ(player->x, x);
}

}  // namespace
