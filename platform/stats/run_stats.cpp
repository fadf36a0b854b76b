#include "platform/stats/run_stats.h"

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <csignal>
#include <cstdarg>
#include <mutex>
#include <stdexcept>
#include <string>

#include "base/output_file.h"

namespace platform::stats {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* figuresStart = "frames ";  // the first line of every figures file

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

std::int64_t threadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

// printf into a string.
__attribute__((format(printf, 2, 3))) void append(std::string& out, const char* format, ...) {
  char line[128];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out.append(line, static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof line) - 1)));
}

// Periods and delays are counted in histograms of fixed size, whose memory is all touched
// at start: the hooks never allocate, and the figures do not make the program grow.
struct Histogram {
  static constexpr int bins = 5000;
  std::int64_t binNs;
  std::array<std::uint32_t, bins> counts{};  // the last bin holds everything beyond
  std::int64_t count = 0;
  std::int64_t minNs = INT64_MAX;
  std::int64_t maxNs = 0;

  explicit Histogram(std::int64_t bin) : binNs(bin) {}
  void add(std::int64_t ns) {
    counts[static_cast<std::size_t>(std::clamp<std::int64_t>(ns / binNs, 0, bins - 1))]++;
    ++count;
    minNs = std::min(minNs, ns);
    maxNs = std::max(maxNs, ns);
  }
  // The middle of the bin holding the fraction's sample.
  double quantileMs(double fraction) const {
    const auto wanted = static_cast<std::int64_t>(fraction * static_cast<double>(count - 1));
    std::int64_t seen = 0;
    for (int i = 0; i < bins; ++i) {
      seen += counts[static_cast<std::size_t>(i)];
      if (seen > wanted) return (i + 0.5) * static_cast<double>(binNs) / 1e6;
    }
    return static_cast<double>(maxNs) / 1e6;
  }
};

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
  Histogram tickPeriods{10'000};  // 10 µs bins, up to 50 ms
  std::int64_t firstTickNs = 0;
  std::int64_t currentTickStartNs = 0;

  // Key press to screen: the key's time, then the end of the first tick after it; the first
  // frame whose composition began after that tick (the previous present had returned)
  // shows the key's effect, from the moment it was shown.
  std::atomic<std::int64_t> pendingKeyNs{0};
  std::atomic<std::int64_t> tickAfterKeyNs{0};
  Histogram keyToScreen{100'000};  // 0.1 ms bins, up to 500 ms

  std::atomic<long long> missedRefreshes{0};  // main thread

  std::string figures() {
    std::string out;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpuMs = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3 +
                         usage.ru_stime.tv_usec / 1e3;
    append(out, "%s%lld\n", figuresStart, static_cast<long long>(frames));
    if (frames > 0) append(out, "first_frame_ms %.1f\n", (firstFrameNs - loadedNs) / 1e6);
    if (frames > 1) {
      const double seconds = (lastFrameNs - firstFrameNs) / 1e9;
      append(out, "fps %.2f\n", (frames - 1) / seconds);
      append(out, "main_cpu_per_frame_ms %.3f\n", (lastFrameCpuNs - firstFrameCpuNs) / 1e6 / (frames - 1));
      append(out, "process_cpu_per_frame_ms %.3f\n", cpuMs / frames);
    }
    append(out, "process_cpu_ms %.1f\n", cpuMs);
    append(out, "run_s %.2f\n", (nowNs() - loadedNs) / 1e9);
    append(out, "peak_rss_kb %ld\n", usage.ru_maxrss);
    {
      std::lock_guard lock(tickMutex);
      const std::int64_t ticks = tickPeriods.count + (firstTickNs != 0 ? 1 : 0);
      append(out, "ticks %lld\n", static_cast<long long>(ticks));
      if (tickPeriods.count > 1) {
        const double meanNs = static_cast<double>(currentTickStartNs - firstTickNs) / tickPeriods.count;
        append(out, "tick_mean_ms %.4f\n", meanNs / 1e6);
        append(out, "tick_median_ms %.3f\n", tickPeriods.quantileMs(0.5));
        append(out, "tick_min_ms %.3f\n", tickPeriods.minNs / 1e6);
        append(out, "tick_p99_ms %.3f\n", tickPeriods.quantileMs(0.99));
        append(out, "tick_max_ms %.3f\n", tickPeriods.maxNs / 1e6);
      }
    }
    append(out, "key_presses_seen %lld\n", static_cast<long long>(keyToScreen.count));
    if (keyToScreen.count > 0) {
      append(out, "key_to_screen_median_ms %.1f\n", keyToScreen.quantileMs(0.5));
      append(out, "key_to_screen_max_ms %.1f\n", keyToScreen.maxNs / 1e6);
    }
    append(out, "missed_refreshes %lld\n", missedRefreshes.load());
    return out;
  }
};

Stats* active = nullptr;

// The figures are written like the tools' files (base/output_file.h): the old file stays whole
// if writing fails, and a FIFO nobody reads is refused at once. An existing file is replaced
// only when it is empty or holds earlier figures, so that a mistyped name never costs one
// of the game's data files. Failures are told on standard error.
void writeFigures(const std::string& path, const std::string& figures) {
  std::signal(SIGPIPE, SIG_IGN);  // the process is ending: a reader that left costs the figures only
  try {
    base::OutputFile out(path);
    if (!out.replacedFile().empty() && !base::isEmptyOrStartsWith(out.replacedFile(), figuresStart)) {
      throw std::runtime_error(base::printableText(path) + " holds something else than figures; it is left as it was");
    }
    out.write(figures.data(), figures.size());
    out.commit();
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "KESTRIX_STATS: %s\n", failure.what());
  }
}

// Set up during static initialisation, so that the start-up time counts from there.
[[maybe_unused]] const bool started = [] {
  const char* path = std::getenv("KESTRIX_STATS");
  if (path == nullptr || *path == '\0') return false;
  active = new Stats;  // lives until the process ends: the report is written at exit
  active->path = path;
  std::atexit([] { writeFigures(active->path, active->figures()); });
  return true;
}();

}  // namespace

void writeNow() {
  if (active != nullptr) writeFigures(active->path, active->figures());
}

void keyPressed() {
  if (active == nullptr) return;
  std::int64_t none = 0;
  if (active->pendingKeyNs.compare_exchange_strong(none, nowNs())) active->tickAfterKeyNs.store(0);
}

void tickStarted() {
  if (active == nullptr) return;
  const std::int64_t now = nowNs();
  std::lock_guard lock(active->tickMutex);
  if (active->firstTickNs == 0) {
    active->firstTickNs = now;
  } else {
    active->tickPeriods.add(now - active->currentTickStartNs);
  }
  active->currentTickStartNs = now;
}

void tickEnded() {
  if (active == nullptr) return;
  const std::int64_t key = active->pendingKeyNs.load();
  if (key != 0 && active->currentTickStartNs >= key && active->tickAfterKeyNs.load() == 0) {
    active->tickAfterKeyNs.store(nowNs());
  }
}

void framePresented(long long shownNs) {
  if (active == nullptr) return;
  const std::int64_t now = nowNs();
  const std::int64_t shown = shownNs != 0 ? shownNs : now;
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
    active->keyToScreen.add(shown - key);
    active->tickAfterKeyNs.store(0);
    active->pendingKeyNs.store(0);
  }
}

void refreshesMissed(long long count) {
  if (active == nullptr) return;
  active->missedRefreshes.fetch_add(count, std::memory_order_relaxed);
}

}  // namespace platform::stats
