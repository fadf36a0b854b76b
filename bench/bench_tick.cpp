// The cost of one game tick at its busiest: every bubble slot in use and all four keys down.
#include <benchmark/benchmark.h>

#include "display/keyboard.h"
#include "game/game_state.h"
#include "tools/trace/tick_driver.h"

namespace {

void fillPool() {
  for (int i = 0; i < bubblePoolSize; ++i) {
    // Half drifting, half rising; high enough that none is freed during the run.
    bubblePool->slots[i] = Bubble{40 + 8 * i, 1'000'000, 0, i % 2 == 0 ? 1'000'000 : 0};
  }
}

void BM_GameTickFullPoolAllKeys(benchmark::State& state) {
  TickDriver driver;
  driver.startUp();
  fillPool();
  for (int vk : {VK_LEFT, VK_RIGHT, VK_UP, VK_SPACE}) setKeyEntry(static_cast<std::uintptr_t>(vk), 1);
  for (auto _ : state) {
    gameTick(0, 0, 0, 0, 0);
    benchmark::DoNotOptimize(player->y);
  }
}
BENCHMARK(BM_GameTickFullPoolAllKeys);

}  // namespace

BENCHMARK_MAIN();
