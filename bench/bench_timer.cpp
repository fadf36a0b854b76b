// The tick timer's accuracy: timeSetEvent at 14 ms for 10 seconds, idle, with the other
// core busy and with every core busy, each as shipped (real-time priority where granted)
// and with its thread put back to normal scheduling; beside them, a thread that sleeps
// 14 ms after each tick, the relative schedule that drifts. For each: ticks, ticks skipped, mean period,
// drift (the median lateness of the last second less that of the first), and the median,
// 99th percentile and worst of the lateness.
//   bench_timer [--seconds=N] [--period=MS]     (other arguments are ignored)
#include <windows.h>

#include <mmsystem.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

struct Record {
  std::vector<Clock::time_point> times;  // sized up front: the callback does not allocate
  std::atomic<std::size_t> count{0};
  bool normalPriority = false;  // put the callback's thread back to normal scheduling
  int policy = -1;              // the scheduling policy the timer's thread had
};

void CALLBACK stamp(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto& record = *reinterpret_cast<Record*>(user);
  const auto now = Clock::now();
  const std::size_t i = record.count.load(std::memory_order_relaxed);
  if (i == 0) {
    sched_param param{};
    pthread_getschedparam(pthread_self(), &record.policy, &param);
    if (record.normalPriority) {
      param.sched_priority = 0;
      pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
    }
  }
  if (i < record.times.size()) record.times[i] = now;
  record.count.store(i + 1, std::memory_order_release);
}

struct Busy {
  explicit Busy(unsigned threads) {
    for (unsigned i = 0; i < threads; ++i) {
      spinners.emplace_back([this] {
        volatile unsigned long sink = 0;
        while (!stop.load(std::memory_order_relaxed)) sink = sink + 1;
      });
    }
  }
  ~Busy() {
    stop.store(true);
    for (auto& t : spinners) t.join();
  }
  std::atomic<bool> stop{false};
  std::vector<std::thread> spinners;
};

double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Tick k (from 1) is due at start + k × period. With skipping allowed, a call more than a
// period late belongs to the latest tick due, as the timer counts them; otherwise the k-th
// call is tick k.
void report(const char* name, Clock::time_point start, std::chrono::milliseconds period,
            const std::vector<Clock::time_point>& times, bool skipping) {
  if (times.size() < 10) {
    std::printf("%-28s too few ticks\n", name);
    return;
  }
  std::vector<double> lateness;
  std::int64_t tick = 0;
  std::int64_t skipped = 0;
  for (const auto& t : times) {
    const auto elapsed = t - start;
    const std::int64_t next = skipping ? std::max<std::int64_t>(tick + 1, elapsed / period) : tick + 1;
    skipped += next - tick - 1;
    tick = next;
    lateness.push_back(Micros(elapsed - tick * period).count());
  }
  const double meanPeriodMs =
      std::chrono::duration<double, std::milli>(times.back() - times.front()).count() / double(times.size() - 1);
  // Drift: how much later the ticks of the last second come than those of the first (medians).
  const std::size_t perSecond = std::max<std::size_t>(1, std::chrono::seconds(1) / period);
  const std::vector<double> first(lateness.begin(), lateness.begin() + std::min(perSecond, lateness.size()));
  const std::vector<double> last(lateness.end() - std::min(perSecond, lateness.size()), lateness.end());
  const double driftUs = medianOf(last) - medianOf(first);
  std::vector<double> sorted = lateness;
  std::sort(sorted.begin(), sorted.end());
  const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
  std::printf("%-28s %6zu %5lld %8.4f ms %+8.3f%% %+9.1f us %9.1f us %9.1f us %9.1f us\n", name, times.size(),
              static_cast<long long>(skipped), meanPeriodMs, (meanPeriodMs / double(period.count()) - 1.0) * 100.0,
              driftUs, medianOf(lateness), p99, sorted.back());
}

void runTimer(const char* name, std::chrono::seconds length, std::chrono::milliseconds period, unsigned busyThreads,
              bool normalPriority) {
  Busy busy(busyThreads);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the spinners settle
  Record record;
  record.normalPriority = normalPriority;
  record.times.resize(static_cast<std::size_t>(length / period) + 16);
  const auto start = Clock::now();
  const UINT id = timeSetEvent(static_cast<UINT>(period.count()), 1, stamp, reinterpret_cast<DWORD_PTR>(&record),
                               TIME_PERIODIC);
  if (id == 0) {
    std::printf("%-28s timeSetEvent failed\n", name);
    return;
  }
  std::this_thread::sleep_until(start + length + period / 2);
  timeKillEvent(id);
  const std::size_t n = std::min(record.count.load(std::memory_order_acquire), record.times.size());
  record.times.resize(n);
  report(name, start, period, record.times, true);
  if (!normalPriority && record.policy != SCHED_FIFO) std::printf("    (real-time priority refused here)\n");
}

// The schedule a plain sleep gives: each wait starts when the last tick ended.
void runRelativeSleep(const char* name, std::chrono::seconds length, std::chrono::milliseconds period) {
  std::vector<Clock::time_point> times;
  times.reserve(static_cast<std::size_t>(length / period) + 16);
  const auto start = Clock::now();
  std::thread ticker([&] {
    while (Clock::now() < start + length) {
      std::this_thread::sleep_for(period);
      times.push_back(Clock::now());
    }
  });
  ticker.join();
  report(name, start, period, times, false);
}

}  // namespace

int main(int argc, char** argv) {
  long seconds = 10;
  long periodMs = 14;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) seconds = std::strtol(argv[i] + 10, nullptr, 10);
    if (std::strncmp(argv[i], "--period=", 9) == 0) periodMs = std::strtol(argv[i] + 9, nullptr, 10);
  }
  const std::chrono::seconds length(std::max(1L, seconds));
  const std::chrono::milliseconds period(std::max(1L, periodMs));
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

  std::printf("%ld s of %ld ms periods on %u cores; lateness is time after the tick's due time\n", seconds, periodMs,
              cores);
  std::printf("%-28s %6s %5s %11s %9s %12s %12s %12s %12s\n", "schedule", "ticks", "skip", "mean period",
              "vs period", "drift", "median late", "p99 late", "worst");
  const unsigned others = cores > 1 ? cores - 1 : 1;
  runTimer("timer, idle", length, period, 0, false);
  runTimer("timer normal prio, idle", length, period, 0, true);
  runTimer("timer, 1 core busy", length, period, others, false);
  runTimer("timer normal prio, 1 busy", length, period, others, true);
  runTimer("timer, all busy", length, period, cores, false);
  runTimer("timer normal prio, all busy", length, period, cores, true);
  runRelativeSleep("sleep_for loop, idle", length, period);
  return 0;
}
