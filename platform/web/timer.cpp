// The multimedia timer in a browser page, which has one thread: the callbacks run from the
// message pump (PeekMessage, GetMessage, WaitMessage), on the program's own thread, and
// never while the program is inside one of them. Tick k of a timer is due at
// start + k × period. The pump comes round about once per browser frame (16.7 ms at 60 Hz),
// so a 14 ms timer has one or two ticks due at a time: every tick due runs, and the period
// holds on average. After a stall longer than catchUpLimit periods (a hidden page gets no
// frames) the timer goes on from the latest tick due instead of running a burst.
#include <windows.h>

#include <mmsystem.h>

#include <chrono>
#include <cstdint>
#include <map>

#include "platform/stats/run_stats.h"
#include "platform/web/page_loop.h"
#include "platform/web/tick_figures.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT shortestDelay = 1;  // the limits that Windows reports for its timer
constexpr UINT longestDelay = 1'000'000;
constexpr UINT supportedFlags = TIME_PERIODIC | 0x0100;  // TIME_KILL_SYNCHRONOUS: always so here
constexpr std::int64_t catchUpLimit = 8;

struct Timer {
  std::chrono::nanoseconds period{};
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;
  bool periodic = false;
  Clock::time_point start;
  std::int64_t next = 1;  // the tick due next
};

std::map<UINT, Timer>& timers() {
  static auto* all = new std::map<UINT, Timer>;  // callbacks may run while the program exits
  return *all;
}
UINT nextId = 1;
bool inCallback = false;
platform::web::TickFigures figures;

void record(Clock::time_point ran) {
  const double ms = std::chrono::duration<double, std::milli>(ran.time_since_epoch()).count();
  if (figures.ticks == 0) figures.firstMs = ms;
  figures.lastMs = ms;
  ++figures.ticks;
}

// Runs the due ticks of one timer; false once the timer is gone (one-shot, or killed by its
// own callback).
bool runTimer(UINT id) {
  for (;;) {
    auto it = timers().find(id);
    if (it == timers().end()) return false;
    Timer& timer = it->second;
    const auto now = Clock::now();
    const std::int64_t dueBy = (now - timer.start) / timer.period;
    if (timer.next > dueBy) return true;
    if (dueBy - timer.next >= catchUpLimit) timer.next = dueBy;
    ++timer.next;
    const LPTIMECALLBACK callback = timer.callback;
    const DWORD_PTR user = timer.user;
    if (!timer.periodic) timers().erase(it);  // a one-shot timer that has fired is gone
    record(now);
    platform::stats::tickStarted();
    callback(id, 0, user, 0, 0);
    platform::stats::tickEnded();
  }
}

}  // namespace

namespace platform::web {

void runDueTimers() {
  if (inCallback) return;
  inCallback = true;
  // By id, looked up afresh each time: a callback may kill or set timers.
  for (UINT id = 0;;) {
    const auto it = timers().upper_bound(id);
    if (it == timers().end()) break;
    id = it->first;
    runTimer(id);
  }
  inCallback = false;
}

int msUntilNextTimer() {
  const auto now = Clock::now();
  auto soonest = std::chrono::milliseconds(INT_MAX);
  for (const auto& [id, timer] : timers()) {
    const auto due = timer.start + timer.next * timer.period;
    if (due <= now) return 0;
    soonest = std::min(soonest, std::chrono::ceil<std::chrono::milliseconds>(due - now));
  }
  return static_cast<int>(soonest.count());
}

TickFigures tickFigures() { return figures; }

}  // namespace platform::web

MMRESULT WINAPI timeSetEvent(UINT uDelay, UINT, LPTIMECALLBACK fptc, DWORD_PTR dwUser, UINT fuEvent) {
  if (uDelay < shortestDelay || uDelay > longestDelay || fptc == nullptr || (fuEvent & ~supportedFlags) != 0) {
    return 0;
  }
  Timer timer;
  timer.period = std::chrono::milliseconds(uDelay);
  timer.callback = fptc;
  timer.user = dwUser;
  timer.periodic = (fuEvent & TIME_PERIODIC) != 0;
  timer.start = Clock::now();
  const UINT id = nextId++;
  if (nextId == 0) nextId = 1;  // 0 is the failure value
  timers()[id] = timer;
  return id;
}

MMRESULT WINAPI timeKillEvent(UINT uTimerID) {
  return timers().erase(uTimerID) != 0 ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}
