// The game's whole state — one Player and a pool of 30 bubbles — and the 14 ms tick that
// advances it: bubbles first, then the player, who walks, falls, jumps off blocks and
// bubbles, and blows bubbles.
//
// Sharing between threads. The tick runs on the timer's thread while the main thread
// draws. gameTick advances the state while holding one mutex; a reader on another thread
// takes the same mutex only to copy the state (snapshotGameState, about 500 bytes) and
// then draws from its copy. So the tick waits for the mutex only while a copy is being
// made (the program's one reader, composeFrame, makes one a frame), never while a frame is
// drawn: it keeps its own schedule whatever the frame rate, and a frame never shows a tick
// half done. The jump sound starts after the tick has let go of the mutex: the audio library
// takes locks of its own, and drawing must not wait behind them. Code that runs before
// the timer starts, or after it has stopped, may use the state directly. The keyboard
// state is shared through atomics (display/keyboard.h).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

constexpr int bubblePoolSize = 30;
constexpr std::int32_t freeSlotMarker = -1000;  // x and y of a free bubble slot
constexpr std::int32_t jumpLength = 34;         // ticks of rising per jump
constexpr std::int32_t fireArmed = 10;          // fireTimer once Space is seen
constexpr std::int32_t bubbleDriftTicks = 30;   // ticks of sideways drift after a spawn
constexpr std::int32_t bubbleDriftStep = 2;     // pixels per drifting tick
constexpr std::int32_t spriteSize = 16;         // player and bubble sprites are 16×16
constexpr UINT tickPeriodMs = 14;

// An object at (x, y) covers columns x to x + 15 and rows y − 16 to y − 1.
struct Player {
  std::int32_t x = 10;
  std::int32_t y = 231;
  std::int32_t facing = 1;     // +1 right, −1 left
  std::int32_t jumpTicks = 0;  // ticks of rising still to come
  std::int32_t fireTimer = 0;  // 0 ready; 10 a bubble is due next tick; 9..1 cooling down
  std::int32_t reserved1 = 0;  // nothing reads or changes it after creation
  std::int32_t reserved2 = 3;  // nothing reads or changes it after creation

  // Advances the player by one tick: vertical movement, firing, walking, jumping, arming;
  // starts the jump sound when a jump starts.
  void updatePlayer();
  // The same steps without the sound: true when a jump started, for a caller that starts
  // the sound itself once it has let go of the state's lock.
  bool advance();
};

struct Bubble {
  std::int32_t x;       // freeSlotMarker in a free slot
  std::int32_t y;       // freeSlotMarker in a free slot
  std::int32_t unused;  // nothing writes or reads it
  std::int32_t drift;   // drift ticks to come: > 0 drifts right, < 0 left, 0 rises
};

struct BubblePool {
  Bubble slots[bubblePoolSize];
};

// The one player and the one pool, created at start-up and kept for the whole run.
extern Player* player;
extern BubblePool* bubblePool;

// Allocates the pool (every slot free) and the player at its start (10, 231), facing right.
void createGameState();
// Gives both back.
void destroyGameState();

// Advances every bubble slot by one tick.
void updateBubbles();

// The periodic timer's callback: updateBubbles, then the player's step, under the state's
// lock; then the jump sound, if a jump started, without it. Its five arguments are ignored.
void CALLBACK gameTick(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1,
                       DWORD_PTR reserved2) noexcept;

// A consistent copy of the state, for drawing on another thread than the tick's.
struct GameSnapshot {
  Player player;
  BubblePool bubbles;
};
void snapshotGameState(GameSnapshot& out);
