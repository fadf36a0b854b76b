// kestrix-trace as a person or a script uses it: a key script in, one line per step out.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>

#include "tests/support/run_tool.h"

namespace {

TEST(TraceTool, PrintsTheStartUpStepAndOneLinePerTickOfTheScript) {
  const std::string keys = ::testing::TempDir() + "kestrix_trace_keys.txt";
  // Names in any case, commas or blanks between them; Windows line ends; no final newline.
  for (const auto& [script, trace] :
       {std::pair{"\nright\nUP SPACE\n\nleft,space\n",
                  "0 10 231 1 0 0 0\n1 10 231 1 0 0 0\n2 11 231 1 0 0 0\n3 11 231 1 34 10 1\n"
                  "4 11 230 1 33 9 0 0:16,230,30\n5 10 229 -1 32 8 0 0:18,230,29\n"},
        {"RIGHT\r\nRIGHT", "0 10 231 1 0 0 0\n1 11 231 1 0 0 0\n2 12 231 1 0 0 0\n"}}) {
    std::ofstream(keys, std::ios::binary) << script;
    const ToolRun run = runTool(KESTRIX_TRACE_PATH, "< '" + keys + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, trace);
  }
  std::remove(keys.c_str());
}

}  // namespace
