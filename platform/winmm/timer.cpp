// The multimedia timer: one thread per timer, sleeping until the next tick's due time on a
// monotonic clock and calling back without any lock held.
#include <windows.h>

#include <mmsystem.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/stats/run_stats.h"
#include "platform/winmm/timer_schedule.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT shortestDelay = 1;  // the limits that Windows reports for its timer
constexpr UINT longestDelay = 1'000'000;
constexpr UINT supportedFlags = TIME_PERIODIC | 0x0100;  // TIME_KILL_SYNCHRONOUS: always so here

struct Timer {
  UINT id = 0;
  std::chrono::nanoseconds period{};
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;
  bool periodic = false;
  Clock::time_point start;

  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
  std::thread thread;
};

struct Registry {
  std::mutex mutex;
  std::map<UINT, std::shared_ptr<Timer>> timers;
  UINT nextId = 1;
};

// Never destroyed: timer threads may outlive static destruction's start.
Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

// Stops the timer; joins its thread unless that is the calling thread (a callback killing
// its own timer), which then ends after the callback returns.
void stopAndJoin(const std::shared_ptr<Timer>& timer) {
  {
    std::lock_guard lock(timer->mutex);
    timer->stop = true;
  }
  timer->wake.notify_all();
  if (timer->thread.get_id() == std::this_thread::get_id()) {
    timer->thread.detach();
  } else if (timer->thread.joinable()) {
    timer->thread.join();
  }
}

// A one-shot timer that has fired is gone, as on Windows; unless a kill got there first.
void forgetFiredTimer(const std::shared_ptr<Timer>& timer) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  const auto it = r.timers.find(timer->id);
  if (it == r.timers.end() || it->second != timer) return;
  r.timers.erase(it);
  timer->thread.detach();
}

// Windows runs timer callbacks on a time-critical thread. Here the lowest real-time priority
// is asked for; where the system refuses it (no privilege, RLIMIT_RTPRIO 0) the thread keeps
// normal scheduling, with the kernel's 50 µs timer slack taken away.
void raisePriority() {
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

void run(std::shared_ptr<Timer> timer) {
  raisePriority();
  std::unique_lock lock(timer->mutex);
  std::int64_t tick = 1;
  for (;;) {
    const auto due = timer->start + tick * timer->period;
    if (timer->wake.wait_until(lock, due, [&timer] { return timer->stop; })) return;
    tick = platform::tickToRun(tick, timer->period, Clock::now() - timer->start);
    lock.unlock();
    platform::stats::tickStarted();
    timer->callback(timer->id, 0, timer->user, 0, 0);
    platform::stats::tickEnded();
    lock.lock();
    if (timer->stop) return;
    if (!timer->periodic) break;
    ++tick;
  }
  lock.unlock();
  forgetFiredTimer(timer);
}

// Timers still running when the process ends stop first, so that no callback runs while
// the objects it uses are being destroyed.
void stopAllTimers() {
  std::vector<std::shared_ptr<Timer>> running;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto& [id, timer] : r.timers) running.push_back(timer);
    r.timers.clear();
  }
  for (const auto& timer : running) stopAndJoin(timer);
}

}  // namespace

MMRESULT WINAPI timeSetEvent(UINT uDelay, UINT, LPTIMECALLBACK fptc, DWORD_PTR dwUser, UINT fuEvent) {
  if (uDelay < shortestDelay || uDelay > longestDelay || fptc == nullptr || (fuEvent & ~supportedFlags) != 0) {
    return 0;
  }
  static const bool registered = (std::atexit(stopAllTimers), true);
  (void)registered;

  auto timer = std::make_shared<Timer>();
  timer->period = std::chrono::milliseconds(uDelay);
  timer->callback = fptc;
  timer->user = dwUser;
  timer->periodic = (fuEvent & TIME_PERIODIC) != 0;
  timer->start = Clock::now();

  Registry& r = registry();
  std::lock_guard registryLock(r.mutex);
  timer->id = r.nextId++;
  if (r.nextId == 0) r.nextId = 1;  // 0 is the failure value
  {
    // The thread starts by taking this lock, so it sees its own std::thread set.
    std::lock_guard timerLock(timer->mutex);
    try {
      timer->thread = std::thread(run, timer);
    } catch (const std::system_error&) {
      return 0;
    }
  }
  r.timers.emplace(timer->id, timer);
  return timer->id;
}

MMRESULT WINAPI timeKillEvent(UINT uTimerID) {
  std::shared_ptr<Timer> timer;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto it = r.timers.find(uTimerID);
    if (it == r.timers.end()) return MMSYSERR_INVALPARAM;
    timer = std::move(it->second);
    r.timers.erase(it);
  }
  stopAndJoin(timer);
  return TIMERR_NOERROR;
}
