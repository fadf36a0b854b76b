// The platform's entry starts WinMain as the Windows runtime does and exits with its result.
#include <gtest/gtest.h>

#include "tests/support/run_tool.h"

namespace {

TEST(Entry, CallsWinMainAndExitsWithItsResult) {
  const ToolRun run = runTool(KESTRIX_ENTRY_PROBE, "42 'two words' plain");
  EXPECT_EQ(run.status, 42);
  EXPECT_EQ(run.output, "instance ok\nprevious null\nshow 10\ncommand line [42 \"two words\" plain]\n");
  const ToolRun bare = runTool(KESTRIX_ENTRY_PROBE, "");
  EXPECT_EQ(bare.status, 0);
  EXPECT_NE(bare.output.find("command line []\n"), std::string::npos);
}

}  // namespace
