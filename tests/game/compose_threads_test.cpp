// Frames composed on this thread while the tick runs on its own, as in the program: under
// ThreadSanitizer, no race between drawing and the tick.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "display/keyboard.h"
#include "display/resource.h"
#include "game/assets.h"
#include "game/game_state.h"

namespace {

TEST(ComposeThreads, FramesAreDrawnWhileTheTickRuns) {
  archivePath = KESTRIX_ASSETS_DIR "/kestrix.pak";
  loadAssets();
  std::atomic<bool> stop{false};
  std::atomic<long> ticks{0};
  std::thread timer([&] {
    while (!stop.load()) {
      gameTick(1, 0, 0, 0, 0);
      ticks.fetch_add(1);
    }
  });
  std::uint64_t sum = 0;
  for (int frame = 0; frame < 300 || ticks.load() < 300; ++frame) {
    setKeyEntry(static_cast<std::uintptr_t>(frame % 2 == 0 ? VK_SPACE : VK_RIGHT), (frame / 7) % 2);
    sum += composeFrame()[frame % (320 * 240)];
  }
  stop.store(true);
  timer.join();
  clearKeyTable();
  releaseAssets();
  archivePath = nullptr;
  EXPECT_NE(sum, 0u);
  EXPECT_GE(ticks.load(), 300);
}

}  // namespace
