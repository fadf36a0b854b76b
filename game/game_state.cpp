#include "game/game_state.h"

#include <mutex>

#include "audio/audio_clip.h"
#include "display/keyboard.h"
#include "game/level_map.h"

Player* player = nullptr;
BubblePool* bubblePool = nullptr;

namespace {

std::mutex stateMutex;

// Pixel to cell by signed division, which truncates toward zero: pixels -7 to -1 above the
// frame still fall in row 0, so a player above the frame lands on the closed box at y = -8.
char cellAt(std::int32_t px, std::int32_t py) { return levelCell(px / levelCellSize, py / levelCellSize); }

// The bubble support window around the player: all four bounds strict. Free slots never
// support a jump, wherever the player is (he can leave the frame by climbing on bubbles).
bool supports(const Bubble& b, const Player& p) {
  if (b.x == freeSlotMarker) return false;
  return p.x - 8 < b.x && b.x < p.x + 16 && p.y - 2 < b.y && b.y < p.y + 8;
}

void spawnBubble(const Player& p) {
  for (Bubble& b : bubblePool->slots) {
    if (b.x == freeSlotMarker) {
      b.x = p.x + 5 * p.facing;
      b.y = p.y;
      b.drift = bubbleDriftTicks * p.facing;
      return;
    }
  }
}

void startJumpSound() {
  if (jumpSound != nullptr) jumpSound->playStream();
}

}  // namespace

void createGameState() {
  bubblePool = new BubblePool{};
  for (Bubble& b : bubblePool->slots) {
    b.x = freeSlotMarker;
    b.y = freeSlotMarker;
  }
  player = new Player{};
}

void destroyGameState() {
  delete bubblePool;
  bubblePool = nullptr;
  delete player;
  player = nullptr;
}

void updateBubbles() {
  for (Bubble& b : bubblePool->slots) {
    if (b.x == freeSlotMarker) continue;
    if (b.drift > 0) {
      --b.drift;
      b.x += bubbleDriftStep;
    } else if (b.drift < 0) {
      ++b.drift;
      b.x -= bubbleDriftStep;
    } else if (--b.y < 0) {
      b.x = freeSlotMarker;
      b.y = freeSlotMarker;
    }
  }
}

void Player::updatePlayer() {
  if (advance()) startJumpSound();
}

bool Player::advance() {
  bool jumped = false;
  // 1. Vertical movement: rising passes through blocks; otherwise fall unless a block is
  //    under either foot.
  if (jumpTicks != 0) {
    --jumpTicks;
    --y;
  } else {
    const std::int32_t footY = y + 1;
    if (!isBlock(cellAt(x, footY)) && !isBlock(cellAt(x + 15, footY))) ++y;
  }

  // 2. Firing.
  if (fireTimer == fireArmed) {
    fireTimer = fireArmed - 1;
    spawnBubble(*this);
  } else if (fireTimer != 0) {
    --fireTimer;
  }

  // 3–4. Walking: facing turns even when the step is blocked; Left runs before Right.
  if (isKeyDown(VK_LEFT)) {
    facing = -1;
    if (isBlank(cellAt(x - 1, y))) --x;
  }
  if (isKeyDown(VK_RIGHT)) {
    facing = 1;
    if (isBlank(cellAt(x + 16, y))) ++x;
  }

  // 5. Jumping, from a bubble or from ground (anything that is not blank under a foot).
  if (isKeyDown(VK_UP) && jumpTicks == 0) {
    bool supported = false;
    for (const Bubble& b : bubblePool->slots) {
      if (supports(b, *this)) {
        supported = true;
        break;
      }
    }
    const std::int32_t footY = y + 1;
    const bool ground = !isBlank(cellAt(x, footY)) || !isBlank(cellAt(x + 15, footY));
    if (ground || supported) {
      jumped = true;  // the sound is the caller's (updatePlayer, gameTick)
      jumpTicks = jumpLength;
    }
  }

  // 6. Arming: the bubble comes out on the next tick.
  if (isKeyDown(VK_SPACE) && fireTimer == 0) fireTimer = fireArmed;
  return jumped;
}

void CALLBACK gameTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) noexcept {
  bool jumped = false;
  {
    std::lock_guard<std::mutex> lock(stateMutex);
    updateBubbles();
    jumped = player->advance();
  }
  if (jumped) startJumpSound();
}

void snapshotGameState(GameSnapshot& out) {
  std::lock_guard<std::mutex> lock(stateMutex);
  out.player = *player;
  out.bubbles = *bubblePool;
}
