// The keyboard state shared as the program shares it: the multimedia timer's thread reads
// the KeyTable every tick while the message pump on this thread writes it through the
// window procedure. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "display/display.h"
#include "display/keyboard.h"
#include "platform/testing/synthetic_events.h"
#include "tests/support/headless_video.h"

namespace {

struct TickView {
  std::atomic<long> ticks{0};
  std::atomic<long> leftDown{0};
  std::atomic<long> leftUp{0};
  std::atomic<long> strayValues{0};  // entries other than 0 and 1
};

void CALLBACK readKeys(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto& view = *reinterpret_cast<TickView*>(user);
  (isKeyDown(VK_LEFT) ? view.leftDown : view.leftUp).fetch_add(1);
  for (const auto& entry : keyTable) {
    const auto value = entry.load(std::memory_order_relaxed);
    if (value != 0 && value != 1) view.strayValues.fetch_add(1);
  }
  view.ticks.fetch_add(1);
}

// Never destroyed: no display is set up to give back. Reachable, so leak checkers pass it over.
DisplayContext* context = nullptr;

void pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

TEST(KeyTableThreads, TheTickReadsWhatThePumpWrites) {
  context = new DisplayContext("Kestrix key threads");
  context->createWindow(GetModuleHandleA(nullptr));
  ASSERT_NE(context->window, nullptr);

  TickView view;
  const UINT timer = timeSetEvent(1, 1, readKeys, reinterpret_cast<DWORD_PTR>(&view), TIME_PERIODIC);
  ASSERT_NE(timer, 0u);

  // Left goes down and up in phases of a few milliseconds, Space and Up flicker beside it,
  // until the tick has seen Left both ways many times.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool down = false;
  long phases = 0;
  while ((view.leftDown.load() < 50 || view.leftUp.load() < 50 || phases < 200) &&
         std::chrono::steady_clock::now() < deadline) {
    down = !down;
    ++phases;
    synthetic::pushKey(context->window, "Left", down);
    for (int i = 0; i < 20; ++i) {
      synthetic::pushKey(context->window, i % 2 == 0 ? "Space" : "Up", i % 4 < 2);
      pumpMessages();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  synthetic::pushKey(context->window, "Left", false);
  pumpMessages();
  EXPECT_EQ(timeKillEvent(timer), MMRESULT{TIMERR_NOERROR});

  EXPECT_GE(view.leftDown.load(), 50);
  EXPECT_GE(view.leftUp.load(), 50);
  EXPECT_EQ(view.strayValues.load(), 0);
  EXPECT_FALSE(isKeyDown(VK_LEFT));
  clearKeyTable();
}

}  // namespace
