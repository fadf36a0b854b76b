// The frame pacer on a clock of the test's own: pictures at its ticks, the lead given back, the ticks missed.
#include "platform/directx/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr std::int64_t ms = 1'000'000;

struct FakeClock final : platform::directx::PacerClock {
  std::int64_t now = 1'000 * ms;
  std::int64_t nowNs() override { return now; }
  void sleepUntil(std::int64_t ns) override { now = std::max(now, ns); }
};

TEST(FramePacer, ShowsAtRefreshesAndGivesTheLeadBack) {
  // workNs: the program's time before each picture; leadNs 0: the whole period.
  const struct { int hz; std::vector<std::int64_t> workNs; std::int64_t leadNs, missed; } rows[] = {
      {60, {1 * ms, 1 * ms}, 4 * ms, 0},  // light work: the least lead
      {60, {1 * ms, 3 * ms, 1 * ms}, 5 * ms, 0},  // the slowest recent picture and the margin
      {60, {15 * ms, 15 * ms}, 0, 1},  // never more than a refresh; the slow picture missed one
      {60, {1 * ms, 40 * ms}, 0, 3},   // the refreshes a late picture slept through
      {60, {1 * ms, 2'000 * ms, 1 * ms}, 4 * ms, 0},  // a pause (minimised): neither a miss nor work
      {360, {ms / 2, ms / 2}, 0, 0}};  // above 250 Hz the least lead is the whole refresh
  for (const auto& [hz, workNs, leadNs, missed] : rows) {
    FakeClock clock;
    platform::directx::FramePacer pacer(clock);
    const std::int64_t period = 1'000'000'000 / hz, origin = clock.now, lead = leadNs != 0 ? leadNs : period;
    pacer.start(period);
    std::int64_t missedSeen = 0, shown = 0;
    for (std::int64_t work : workNs) {
      clock.now += work;
      missedSeen += pacer.waitForRefresh();
      shown = clock.now;
      EXPECT_EQ((shown - origin) % period, 0) << hz << " Hz, " << work << ": shown between refreshes";
      pacer.holdUntilNextPicture();
    }
    EXPECT_EQ(pacer.leadNs(), lead) << hz << " Hz, " << workNs.back();
    EXPECT_EQ(clock.now, shown + period - lead) << hz << " Hz, " << workNs.back() << ": the hold's end";
    EXPECT_EQ(missedSeen, missed) << hz << " Hz, " << workNs.back();
  }
}

}  // namespace
