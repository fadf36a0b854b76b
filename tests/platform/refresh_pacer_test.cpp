// The refresh pacer on a clock of the test's own: pictures at refreshes, the lead it gives the
// program back, the refreshes a late picture misses, and a pause that is neither.
#include "platform/directx/refresh_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

namespace dx = platform::directx;
constexpr std::int64_t ms = 1'000'000;

struct FakeClock final : dx::PacerClock {
  std::int64_t now = 1'000 * ms;
  std::int64_t nowNs() override { return now; }
  void sleepUntil(std::int64_t ns) override { now = std::max(now, ns); }
};

TEST(RefreshPacer, ShowsAtRefreshesAndGivesTheLeadBack) {
  struct Row {
    const char* what;
    int hz;
    std::vector<std::int64_t> workNs;  // the program's time before each picture
    std::int64_t leadNs;               // 0: the whole period
    std::int64_t missed;
  };
  const Row rows[] = {
      {"light work: the least lead", 60, {1 * ms, 1 * ms, 1 * ms}, 4 * ms, 0},
      {"the slowest recent picture and the margin", 60, {1 * ms, 3 * ms, 1 * ms}, 5 * ms, 0},
      {"never more than a refresh; the slow one missed one", 60, {15 * ms, 15 * ms}, 0, 1},
      {"a late picture misses the refreshes it slept through", 60, {1 * ms, 40 * ms}, 0, 3},
      {"a pause (minimised) is neither a miss nor work", 60, {1 * ms, 2'000 * ms, 1 * ms}, 4 * ms, 0},
      {"above 250 Hz the least lead is the whole refresh", 360, {ms / 2, ms / 2}, 0, 0},
  };
  for (const Row& row : rows) {
    FakeClock clock;
    dx::RefreshPacer pacer(clock);
    const std::int64_t period = 1'000'000'000 / row.hz;
    const std::int64_t origin = clock.now;
    pacer.start(period);
    std::int64_t missed = 0;
    std::int64_t shown = 0;
    for (std::int64_t work : row.workNs) {
      clock.now += work;
      missed += pacer.waitForRefresh();
      shown = clock.now;
      EXPECT_EQ((shown - origin) % period, 0) << row.what << ": shown between refreshes";
      pacer.holdUntilNextPicture();
    }
    const std::int64_t lead = row.leadNs != 0 ? row.leadNs : period;
    EXPECT_EQ(pacer.leadNs(), lead) << row.what;
    EXPECT_EQ(clock.now, shown + period - lead) << row.what << ": the hold's end";
    EXPECT_EQ(missed, row.missed) << row.what;
  }
}

}  // namespace
