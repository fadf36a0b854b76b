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
#include "tests/support/message_pump.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Calls {
  std::atomic<int> count{0};
  std::atomic<bool> inside{false};
  std::atomic<bool> rightArguments{true};  // its id, the user value, another thread: every call
  std::atomic<UINT> id{0};
  std::thread::id caller = std::this_thread::get_id();
  int killAt = 0;   // kill its own timer on this call
  int stallAt = 0;  // sleep 60 ms on this call
  std::mutex mutex;
  std::vector<Clock::time_point> starts, ends;
};

void CALLBACK record(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto& calls = *reinterpret_cast<Calls*>(user);
  calls.inside.store(true);
  const auto start = Clock::now();
  const int n = calls.count.fetch_add(1) + 1;
  const UINT expected = calls.id.load();
  if ((expected != 0 && id != expected) || std::this_thread::get_id() == calls.caller) calls.rightArguments = false;
  if (n == calls.stallAt) std::this_thread::sleep_for(60ms);  // twelve periods of 5 ms
  if (n == calls.killAt) timeKillEvent(id);
  {
    std::lock_guard lock(calls.mutex);
    calls.starts.push_back(start);
    calls.ends.push_back(Clock::now());
  }
  calls.inside.store(false);
}

UINT start(Calls& calls, UINT ms, UINT kind = TIME_PERIODIC) {
  const UINT id = timeSetEvent(ms, 1, record, reinterpret_cast<DWORD_PTR>(&calls), kind);
  calls.id.store(id);
  return id;
}

bool calledBack(const Calls& calls, int count) {
  return testsupport::waitUntil([&] { return calls.count.load() >= count; });
}

TEST(Timer, PeriodicCallbacksRunOnTheirOwnThreadUntilKilled) {
  Calls calls;
  const UINT id = start(calls, 2);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(calledBack(calls, 5));
  EXPECT_TRUE(calls.rightArguments.load());
  EXPECT_EQ(timeKillEvent(id), MMRESULT{TIMERR_NOERROR});
  EXPECT_FALSE(calls.inside.load());  // not running once the kill returned ...
  const int afterKill = calls.count.load();
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(calls.count.load(), afterKill);  // ... and never again
  EXPECT_EQ(timeKillEvent(id), MMRESULT{MMSYSERR_INVALPARAM});
  EXPECT_EQ(timeKillEvent(0), MMRESULT{MMSYSERR_INVALPARAM});
}

TEST(Timer, ACallbackMayKillItsOwnTimerAndAOneShotTimerFiresOnce) {
  for (const UINT kind : {UINT{TIME_PERIODIC}, UINT{TIME_ONESHOT}}) {
    Calls calls;
    calls.killAt = kind == TIME_PERIODIC ? 3 : 0;
    const UINT id = start(calls, 1, kind);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(calledBack(calls, kind == TIME_PERIODIC ? 3 : 1));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls.count.load(), kind == TIME_PERIODIC ? 3 : 1);
    EXPECT_FALSE(calls.inside.load());
    EXPECT_EQ(timeKillEvent(id), MMRESULT{MMSYSERR_INVALPARAM});  // already gone
  }
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
  const UINT id = start(calls, 5);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(calledBack(calls, 6));
  timeKillEvent(id);
  std::lock_guard lock(calls.mutex);
  const auto stallEnd = calls.ends[1];
  int soonAfter = 0;
  for (const auto& s : calls.starts) soonAfter += s >= stallEnd && s < stallEnd + 2ms ? 1 : 0;
  // The tick due by then runs, perhaps the next one too: never the eleven missed ones.
  EXPECT_LE(soonAfter, 2);
  EXPECT_GE(calls.starts[2], stallEnd);
}

// A timer still running when the process ends (an exit before the program kills its tick
// timer, from fatalError or a signal) stops before anything registered earlier is torn down:
// its callback uses the game's objects.
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
