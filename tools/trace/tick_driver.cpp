#include "tools/trace/tick_driver.h"

#include <cstdio>

#include "audio/audio_clip.h"
#include "display/keyboard.h"
#include "game/game_state.h"
#include "platform/bass_record/bass_record.h"

TickDriver::TickDriver(bool ownState) : ownState_(ownState) {
  bassrecord::reset();
  clearKeyTable();
  if (ownState_) createGameState();
  jumpSound = new AudioClip;
  jumpSound->loadStream("saltito.mp3", nullptr);
}

TickDriver::~TickDriver() {
  delete jumpSound;
  jumpSound = nullptr;
  if (ownState_) destroyGameState();
  clearKeyTable();
}

template <typename Step>
void TickDriver::run(Step step) {
  const auto before = bassrecord::count(bassrecord::Function::StreamPlay);
  step();
  soundStarted_ = bassrecord::count(bassrecord::Function::StreamPlay) != before;
  ++tickNumber_;
}

void TickDriver::startUp() {
  clearKeyTable();
  run([] {
    updateBubbles();
    player->updatePlayer();
  });
}

void TickDriver::tick(const TickKeys& keys) {
  setKeyEntry(VK_LEFT, keys.left ? 1 : 0);
  setKeyEntry(VK_RIGHT, keys.right ? 1 : 0);
  setKeyEntry(VK_UP, keys.up ? 1 : 0);
  setKeyEntry(VK_SPACE, keys.space ? 1 : 0);
  run([] { gameTick(0, 0, 0, 0, 0); });
}

std::string TickDriver::line() const {
  const Player& p = *player;
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%d %d %d %d %d %d %d", tickNumber_, p.x, p.y, p.facing, p.jumpTicks,
                p.fireTimer, soundStarted_ ? 1 : 0);
  std::string out = buffer;
  for (int i = 0; i < bubblePoolSize; ++i) {
    const Bubble& b = bubblePool->slots[i];
    if (b.x == freeSlotMarker) continue;
    std::snprintf(buffer, sizeof buffer, " %d:%d,%d,%d", i, b.x, b.y, b.drift);
    out += buffer;
  }
  return out;
}
