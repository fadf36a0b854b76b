// The multimedia timer: callbacks on a thread of their own, killing (also from inside a
// callback), one-shot timers, and the schedule after a stall. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/winmm/timer_schedule.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Calls {
  std::atomic<int> count{0};
  std::atomic<UINT> lastId{0};
  std::atomic<DWORD_PTR> lastUser{0};
  std::atomic<bool> inside{false};
  std::atomic<bool> otherThread{false};
  std::thread::id caller = std::this_thread::get_id();
  int killAt = 0;                   // kill its own timer on this call
  int stallAt = 0;                  // sleep on this call
  std::chrono::milliseconds stall{0};
  std::mutex timesMutex;
  std::vector<Clock::time_point> starts;
  std::vector<Clock::time_point> ends;
};

void CALLBACK record(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto& calls = *reinterpret_cast<Calls*>(user);
  calls.inside.store(true);
  const auto start = Clock::now();
  const int n = calls.count.fetch_add(1) + 1;
  calls.lastId.store(id);
  calls.lastUser.store(user);
  calls.otherThread.store(std::this_thread::get_id() != calls.caller);
  if (n == calls.stallAt) std::this_thread::sleep_for(calls.stall);
  if (n == calls.killAt) timeKillEvent(id);
  {
    std::lock_guard lock(calls.timesMutex);
    calls.starts.push_back(start);
    calls.ends.push_back(Clock::now());
  }
  calls.inside.store(false);
}

// Waits, at most a generous while, until the timer has called back `count` times.
bool waitForCalls(const Calls& calls, int count) {
  const auto deadline = Clock::now() + 10s;
  while (calls.count.load() < count) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(Timer, PeriodicCallbacksRunOnTheirOwnThreadUntilKilled) {
  Calls calls;
  const UINT id = timeSetEvent(2, 1, record, reinterpret_cast<DWORD_PTR>(&calls), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(waitForCalls(calls, 5));
  EXPECT_EQ(calls.lastId.load(), id);
  EXPECT_EQ(calls.lastUser.load(), reinterpret_cast<DWORD_PTR>(&calls));
  EXPECT_TRUE(calls.otherThread.load());

  EXPECT_EQ(timeKillEvent(id), MMRESULT{TIMERR_NOERROR});
  EXPECT_FALSE(calls.inside.load());  // not running once the kill returned ...
  const int afterKill = calls.count.load();
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(calls.count.load(), afterKill);  // ... and never again
  EXPECT_EQ(timeKillEvent(id), MMRESULT{MMSYSERR_INVALPARAM});
  EXPECT_EQ(timeKillEvent(0), MMRESULT{MMSYSERR_INVALPARAM});
}

TEST(Timer, ACallbackMayKillItsOwnTimer) {
  Calls calls;
  calls.killAt = 3;
  const UINT id = timeSetEvent(1, 1, record, reinterpret_cast<DWORD_PTR>(&calls), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(waitForCalls(calls, 3));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(calls.count.load(), 3);
  EXPECT_FALSE(calls.inside.load());
  EXPECT_EQ(timeKillEvent(id), MMRESULT{MMSYSERR_INVALPARAM});  // already gone
}

TEST(Timer, AOneShotTimerFiresOnceAndIsGone) {
  Calls calls;
  const UINT id = timeSetEvent(5, 1, record, reinterpret_cast<DWORD_PTR>(&calls), TIME_ONESHOT);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(waitForCalls(calls, 1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(calls.count.load(), 1);
  EXPECT_EQ(timeKillEvent(id), MMRESULT{MMSYSERR_INVALPARAM});
}

TEST(Timer, RefusesWhatWindowsRefuses) {
  Calls calls;
  const auto user = reinterpret_cast<DWORD_PTR>(&calls);
  EXPECT_EQ(timeSetEvent(0, 1, record, user, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(1'000'001, 1, record, user, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(14, 14, nullptr, user, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(14, 14, record, user, TIME_PERIODIC | 0x0010), 0u);  // TIME_CALLBACK_EVENT_SET
  EXPECT_EQ(calls.count.load(), 0);
}

TEST(TimerSchedule, ALateTickRunsAndWholeMissedPeriodsAreSkipped) {
  constexpr std::chrono::nanoseconds period = 14ms;
  EXPECT_EQ(platform::tickToRun(5, period, 5 * period), 5);
  EXPECT_EQ(platform::tickToRun(5, period, 5 * period + 13ms), 5);  // late, but within its period
  EXPECT_EQ(platform::tickToRun(5, period, 6 * period), 6);         // tick 5 missed
  EXPECT_EQ(platform::tickToRun(5, period, 5 * period + 100ms), 12);
  EXPECT_EQ(platform::tickToRun(1, 1ms, 1'000'000'000ms), 1'000'000'000);
}

TEST(Timer, AStalledCallbackIsNotFollowedByABurst) {
  Calls calls;
  calls.stallAt = 2;
  calls.stall = 60ms;  // twelve periods
  const UINT id = timeSetEvent(5, 1, record, reinterpret_cast<DWORD_PTR>(&calls), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(waitForCalls(calls, 6));
  timeKillEvent(id);

  std::lock_guard lock(calls.timesMutex);
  const auto stallEnd = calls.ends[1];
  int soonAfter = 0;
  for (const auto& start : calls.starts) {
    if (start >= stallEnd && start < stallEnd + 2ms) ++soonAfter;
  }
  // The tick due by then runs, perhaps the next one too: never the eleven missed ones.
  EXPECT_LE(soonAfter, 2);
  EXPECT_GE(calls.starts[2], stallEnd);
}

// A timer still running when the process ends stops before anything registered earlier is
// torn down (the program never kills its tick timer; its callback uses the game's objects).
std::atomic<bool> tearingDown{false};

void CALLBACK complainDuringTearDown(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  if (tearingDown.load()) std::fputs("tick during tear-down\n", stderr);
}

TEST(TimerDeathTest, ARunningTimerStopsWhenTheProcessEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit([] {
          tearingDown.store(true);
          std::this_thread::sleep_for(50ms);
        });
        timeSetEvent(1, 1, complainDuringTearDown, 0, TIME_PERIODIC);
        std::this_thread::sleep_for(10ms);
        std::exit(3);
      },
      ::testing::ExitedWithCode(3), "^$");
}

}  // namespace
