// The tick on its own thread while this one writes keys and copies the state (under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "display/keyboard.h"
#include "game/game_state.h"
#include "platform/bass_record/bass_record.h"
#include "tests/support/wait_until.h"
#include "tools/trace/tick_driver.h"

namespace {

TEST(TickThreads, DrawingCopiesWholeTicksWhileTheTickRunsOnItsOwnThread) {
  TickDriver driver;
  driver.startUp();
  std::atomic<bool> stop{false};
  std::atomic<long> ticks{0};
  std::thread timer([&] {
    for (; !stop.load(); ticks.fetch_add(1)) gameTick(1, 0, 0, 0, 0);
  });
  const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_SPACE};
  GameSnapshot snapshot{};
  long inconsistent = 0;
  // A slot is freed by setting x and y: a copy torn inside that tick shows only one. (Live
  // bubbles may reach y = -1000: the player can climb on them for ever.)
  for (int i = 0; i < 20000 || ticks.load() < 2000; ++i) {
    setKeyEntry(static_cast<std::uintptr_t>(keys[i % 4]), (i / 4) % 3 != 0 ? 1 : 0);
    snapshotGameState(snapshot);
    for (const Bubble& b : snapshot.bubbles.slots) inconsistent += b.x == freeSlotMarker && b.y != freeSlotMarker;
  }
  stop.store(true);
  timer.join();
  EXPECT_EQ(inconsistent, 0);
}

// The audio library may keep the tick waiting while it starts the jump sound: drawing on
// another thread must be able to copy the state meanwhile.
TEST(TickThreads, TheJumpSoundStartsWhenDrawingCanReadTheStateAgain) {
  TickDriver driver;
  driver.startUp();
  std::optional<std::thread> drawing;
  std::atomic<bool> copied{false};
  bool copiedInTime = false;
  bassrecord::onCall(bassrecord::Function::StreamPlay, [&] {
    drawing.emplace([&] {
      GameSnapshot snapshot;
      snapshotGameState(snapshot);
      copied.store(true);
    });
    copiedInTime = testsupport::waitUntil([&copied] { return copied.load(); }, 5);
  });
  driver.tick(TickKeys{.up = true});
  if (drawing) drawing->join();
  bassrecord::reset();
  EXPECT_TRUE(driver.soundStarted());
  EXPECT_TRUE(copiedInTime) << "drawing waited for the tick while it started the jump sound";
}

}  // namespace
