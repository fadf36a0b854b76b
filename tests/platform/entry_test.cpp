// The platform's entry starts WinMain as the Windows runtime does and exits with its result.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct ProbeRun {
  int exitCode = -1;
  std::string output;
};

ProbeRun runProbe(const std::string& arguments) {
  ProbeRun run;
  FILE* pipe = popen((std::string("'") + KESTRIX_ENTRY_PROBE + "' " + arguments).c_str(), "r");
  if (pipe == nullptr) return run;
  for (int c; (c = std::fgetc(pipe)) != EOF;) run.output += static_cast<char>(c);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(Entry, CallsWinMainAndExitsWithItsResult) {
  const ProbeRun run = runProbe("42 'two words' plain");
  EXPECT_EQ(run.exitCode, 42);
  EXPECT_EQ(run.output,
            "instance ok\n"
            "previous null\n"
            "show 10\n"
            "command line [42 \"two words\" plain]\n");

  const ProbeRun bare = runProbe("");
  EXPECT_EQ(bare.exitCode, 0);
  EXPECT_NE(bare.output.find("command line []\n"), std::string::npos);
}

}  // namespace
