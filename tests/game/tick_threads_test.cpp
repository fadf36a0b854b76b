// The tick on a real second thread while this thread writes keys the way the window
// procedure does and reads the state the way drawing does. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "display/keyboard.h"
#include "game/game_state.h"
#include "platform/bass_record/bass_record.h"
#include "tools/trace/tick_driver.h"

namespace {

TEST(TickThreads, DrawingReadsWholeTicksWhileTheTickRunsOnItsOwnThread) {
  TickDriver driver;
  driver.startUp();

  std::atomic<bool> stop{false};
  std::atomic<long> ticks{0};
  std::thread timer([&] {
    while (!stop.load()) {
      gameTick(1, 0, 0, 0, 0);
      ticks.fetch_add(1);
    }
  });

  const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_SPACE};
  GameSnapshot snapshot{};
  long inconsistent = 0;
  for (int i = 0; i < 20000 || ticks.load() < 2000; ++i) {
    setKeyEntry(static_cast<std::uintptr_t>(keys[i % 4]), (i / 4) % 3 != 0 ? 1 : 0);
    snapshotGameState(snapshot);
    // A free slot (x is the marker) has the marker in y too: a copy torn in the middle of
    // the tick that frees a slot would break this. The converse does not hold: a player who
    // climbs on his bubbles for a thousand ticks (a loaded machine lets the tick run far
    // ahead of this loop, keys held) blows live bubbles at y = -1000 and above.
    for (const Bubble& b : snapshot.bubbles.slots) {
      if (b.x == freeSlotMarker && b.y != freeSlotMarker) ++inconsistent;
    }
    if (snapshot.player.facing != 1 && snapshot.player.facing != -1) ++inconsistent;
    if (snapshot.player.jumpTicks < 0 || snapshot.player.jumpTicks > 34) ++inconsistent;
  }
  stop.store(true);
  timer.join();
  clearKeyTable();

  EXPECT_EQ(inconsistent, 0);
  EXPECT_GE(ticks.load(), 2000);
}

TEST(TickThreads, TheJumpSoundStartsWhenDrawingCanReadTheStateAgain) {
  TickDriver driver;
  driver.startUp();
  // While the tick starts the sound, drawing on another thread copies the state: it must
  // not wait for the tick, since the audio library may keep the tick waiting for a while.
  std::optional<std::thread> drawing;
  std::atomic<bool> copied{false};
  bool waited = false;
  bassrecord::onCall(bassrecord::Function::StreamPlay, [&] {
    drawing.emplace([&] {
      GameSnapshot snapshot;
      snapshotGameState(snapshot);
      copied.store(true);
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!copied.load() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    waited = !copied.load();
  });
  driver.tick(TickKeys{.up = true});
  if (drawing) drawing->join();
  bassrecord::reset();
  clearKeyTable();

  EXPECT_TRUE(driver.soundStarted());
  EXPECT_FALSE(waited) << "drawing waited for the tick while it started the jump sound";
}

}  // namespace
