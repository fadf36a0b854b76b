// The multimedia timer: callbacks on their own thread until killed, the schedule after a stall, the process's end.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/winmm/timer_schedule.h"
#include "tests/support/wait_until.h"

namespace {

using namespace std::chrono_literals;

std::atomic<int> calls{0};
std::atomic<bool> inside{false};
std::atomic<bool> onThisThread{false};
std::thread::id testThread;

void CALLBACK record(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  inside.store(true);
  std::this_thread::sleep_for(1ms);  // so that a kill often finds a callback running
  if (std::this_thread::get_id() == testThread || user != 42) onThisThread.store(true);
  calls.fetch_add(1);
  inside.store(false);
}

TEST(Timer, PeriodicCallbacksRunOnTheirOwnThreadUntilKilled) {
  testThread = std::this_thread::get_id();
  const UINT id = timeSetEvent(2, 1, record, 42, TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(testsupport::waitUntil([] { return calls.load() >= 5; }));
  EXPECT_FALSE(onThisThread.load()) << "or without the user value";
  EXPECT_EQ(timeKillEvent(id), MMRESULT{TIMERR_NOERROR});
  EXPECT_FALSE(inside.load());  // not running once the kill returned ...
  const int afterKill = calls.load();
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(calls.load(), afterKill);  // ... and never again
  EXPECT_EQ(timeKillEvent(id), MMRESULT{MMSYSERR_INVALPARAM});
}

TEST(TimerSchedule, ALateTickRunsAndWholeMissedPeriodsAreSkipped) {
  constexpr std::chrono::nanoseconds period = 14ms;
  EXPECT_EQ(platform::tickToRun(5, period, 5 * period), 5);
  EXPECT_EQ(platform::tickToRun(5, period, 5 * period + 13ms), 5);  // late, but within its period
  EXPECT_EQ(platform::tickToRun(5, period, 6 * period), 6);         // tick 5 missed
  EXPECT_EQ(platform::tickToRun(5, period, 5 * period + 100ms), 12);
  EXPECT_EQ(platform::tickToRun(1, 1ms, 1'000'000'000ms), 1'000'000'000);
}

// A timer still running at the process's end stops before what was registered earlier goes.
std::atomic<bool> tearingDown{false};

TEST(TimerDeathTest, ARunningTimerStopsWhenTheProcessEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto complain = [](UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (tearingDown.load()) std::fputs("tick during tear-down\n", stderr);
  };
  EXPECT_EXIT(
      {
        std::atexit([] {
          tearingDown.store(true);
          std::this_thread::sleep_for(50ms);
        });
        timeSetEvent(1, 1, complain, 0, TIME_PERIODIC);
        std::this_thread::sleep_for(10ms);
        std::exit(3);
      },
      ::testing::ExitedWithCode(3), "^$");
}

}  // namespace
