// Runs the game state the way the program does — the start-up step with no key, then one
// tick per key set — without a display or sound, and describes the state after each step.
// Shared by kestrix-trace and the tests.
#pragma once

#include <string>

#include "tools/trace/key_script.h"

class TickDriver {
 public:
  // A fresh game state (player at its start, every slot free), all keys up, and a jump
  // sound on the silent recording audio library. With ownState false, the state that
  // loadAssets made is driven instead, and left in place afterwards.
  explicit TickDriver(bool ownState = true);
  ~TickDriver();
  TickDriver(const TickDriver&) = delete;
  TickDriver& operator=(const TickDriver&) = delete;

  // Tick 0: the program's one step by hand before the timer starts, with no key held.
  void startUp();
  // The next tick, through the timer's callback, with these keys held during it.
  void tick(const TickKeys& keys);

  int tickNumber() const { return tickNumber_; }
  // Whether the jump sound was started during the last step.
  bool soundStarted() const { return soundStarted_; }

  // "<tick> <x> <y> <facing> <jumpTicks> <fireTimer> <sound>" and " <slot>:<x>,<y>,<drift>"
  // for every slot in use, in index order.
  std::string line() const;

 private:
  template <typename Step>
  void run(Step step);

  bool ownState_;
  int tickNumber_ = -1;
  bool soundStarted_ = false;
};
