// The timer's thread reads the KeyTable while this thread's pump writes it (under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <atomic>

#include "display/display.h"
#include "display/keyboard.h"
#include "platform/testing/synthetic_events.h"
#include "tests/support/headless_video.h"
#include "tests/support/message_pump.h"

namespace {

std::atomic<long> ticksWithLeft[2];  // up, down

void CALLBACK readKeys(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) { ticksWithLeft[isKeyDown(VK_LEFT)].fetch_add(1); }

TEST(KeyTableThreads, TheTickReadsWhatThePumpWrites) {
  // Never destroyed: no display is set up to give back. Reachable, so leak checkers pass it over.
  static DisplayContext* const context = new DisplayContext("Kestrix key threads");
  context->createWindow(GetModuleHandleA(nullptr));
  ASSERT_NE(context->window, nullptr);
  const UINT timer = timeSetEvent(1, 1, readKeys, 0, TIME_PERIODIC);
  ASSERT_NE(timer, 0u);

  // Left toggles, Space and Up flicker, until the tick has seen Left both ways many times.
  bool down = false;
  long phases = 0;
  EXPECT_TRUE(testsupport::waitUntil(
      [&] {
        down = !down;
        synthetic::pushKey(context->window, "Left", down);
        for (int i = 0; i < 20; ++i) {
          synthetic::pushKey(context->window, i % 2 == 0 ? "Space" : "Up", i % 4 < 2);
          testsupport::pumpMessages();
        }
        return ++phases >= 200 && ticksWithLeft[0].load() >= 50 && ticksWithLeft[1].load() >= 50;
      },
      20));
  synthetic::pushKey(context->window, "Left", false);
  testsupport::pumpMessages();
  EXPECT_EQ(timeKillEvent(timer), MMRESULT{TIMERR_NOERROR});
  EXPECT_FALSE(isKeyDown(VK_LEFT));
  clearKeyTable();
}

}  // namespace
