#include "platform/stats/run_stats.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

namespace platform::stats {
namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

std::int64_t threadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

// Enough room for an hour of ticks and key presses; samples beyond it are not kept, so the
// hooks never allocate while the program runs.
constexpr std::size_t sampleRoom = 300'000;

struct Stats {
  std::string path;
  std::int64_t loadedNs = nowNs();  // static initialisation: as close to exec as we get

  // Main thread: frames.
  std::int64_t frames = 0;
  std::int64_t firstFrameNs = 0;
  std::int64_t lastFrameNs = 0;
  std::int64_t firstFrameCpuNs = 0;
  std::int64_t lastFrameCpuNs = 0;

  // Timer thread: tick starts, under a lock because the report reads them at exit.
  std::mutex tickMutex;
  std::vector<std::int64_t> tickStarts;
  std::int64_t currentTickStartNs = 0;

  // Key press to screen: the key's time, then the end of the first tick after it; the first
  // frame whose composition began after that tick (the previous present had returned)
  // shows the key's effect.
  std::atomic<std::int64_t> pendingKeyNs{0};
  std::atomic<std::int64_t> tickAfterKeyNs{0};
  std::vector<std::int64_t> keyToScreenNs;

  void write() {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) return;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpuMs = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3 +
                         usage.ru_stime.tv_usec / 1e3;
    std::fprintf(out, "frames %lld\n", static_cast<long long>(frames));
    if (frames > 0) std::fprintf(out, "first_frame_ms %.1f\n", (firstFrameNs - loadedNs) / 1e6);
    if (frames > 1) {
      const double seconds = (lastFrameNs - firstFrameNs) / 1e9;
      std::fprintf(out, "fps %.2f\n", (frames - 1) / seconds);
      std::fprintf(out, "main_cpu_per_frame_ms %.3f\n", (lastFrameCpuNs - firstFrameCpuNs) / 1e6 / (frames - 1));
      std::fprintf(out, "process_cpu_per_frame_ms %.3f\n", cpuMs / frames);
    }
    std::fprintf(out, "process_cpu_ms %.1f\n", cpuMs);
    std::fprintf(out, "run_s %.2f\n", (nowNs() - loadedNs) / 1e9);
    std::fprintf(out, "peak_rss_kb %ld\n", usage.ru_maxrss);
    {
      std::lock_guard lock(tickMutex);
      std::fprintf(out, "ticks %zu\n", tickStarts.size());
      if (tickStarts.size() > 2) {
        std::vector<std::int64_t> periods;
        for (std::size_t i = 1; i < tickStarts.size(); ++i) periods.push_back(tickStarts[i] - tickStarts[i - 1]);
        const double mean = static_cast<double>(tickStarts.back() - tickStarts.front()) / periods.size();
        std::sort(periods.begin(), periods.end());
        std::fprintf(out, "tick_mean_ms %.4f\n", mean / 1e6);
        std::fprintf(out, "tick_median_ms %.3f\n", periods[periods.size() / 2] / 1e6);
        std::fprintf(out, "tick_min_ms %.3f\n", periods.front() / 1e6);
        std::fprintf(out, "tick_p99_ms %.3f\n", periods[periods.size() * 99 / 100] / 1e6);
        std::fprintf(out, "tick_max_ms %.3f\n", periods.back() / 1e6);
      }
    }
    std::fprintf(out, "key_presses_seen %zu\n", keyToScreenNs.size());
    if (!keyToScreenNs.empty()) {
      std::vector<std::int64_t> sorted = keyToScreenNs;
      std::sort(sorted.begin(), sorted.end());
      std::fprintf(out, "key_to_screen_median_ms %.2f\n", sorted[sorted.size() / 2] / 1e6);
      std::fprintf(out, "key_to_screen_max_ms %.2f\n", sorted.back() / 1e6);
    }
    std::fclose(out);
  }
};

Stats* active = nullptr;

// Set up during static initialisation, so that the start-up time counts from there.
[[maybe_unused]] const bool started = [] {
  const char* path = std::getenv("KESTRIX_STATS");
  if (path == nullptr || *path == '\0') return false;
  active = new Stats;  // lives until the process ends: the report is written at exit
  active->path = path;
  active->tickStarts.reserve(sampleRoom);
  active->keyToScreenNs.reserve(sampleRoom);
  std::atexit([] { active->write(); });
  return true;
}();

}  // namespace

void keyPressed() {
  if (active == nullptr) return;
  std::int64_t none = 0;
  if (active->pendingKeyNs.compare_exchange_strong(none, nowNs())) active->tickAfterKeyNs.store(0);
}

void tickStarted() {
  if (active == nullptr) return;
  const std::int64_t now = nowNs();
  active->currentTickStartNs = now;
  std::lock_guard lock(active->tickMutex);
  if (active->tickStarts.size() < sampleRoom) active->tickStarts.push_back(now);
}

void tickEnded() {
  if (active == nullptr) return;
  const std::int64_t key = active->pendingKeyNs.load();
  if (key != 0 && active->currentTickStartNs >= key && active->tickAfterKeyNs.load() == 0) {
    active->tickAfterKeyNs.store(nowNs());
  }
}

void framePresented() {
  if (active == nullptr) return;
  const std::int64_t now = nowNs();
  const std::int64_t previousFrameNs = active->lastFrameNs;
  if (active->frames == 0) {
    active->firstFrameNs = now;
    active->firstFrameCpuNs = threadCpuNs();
  }
  ++active->frames;
  active->lastFrameNs = now;
  active->lastFrameCpuNs = threadCpuNs();
  const std::int64_t key = active->pendingKeyNs.load();
  const std::int64_t tick = active->tickAfterKeyNs.load();
  if (key != 0 && tick >= key && previousFrameNs >= tick) {
    if (active->keyToScreenNs.size() < sampleRoom) active->keyToScreenNs.push_back(now - key);
    active->tickAfterKeyNs.store(0);
    active->pendingKeyNs.store(0);
  }
}

}  // namespace platform::stats
