// kestrix-trace as a person or a script uses it: a key script in, one line per step out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Result {
  int status;
  std::vector<std::string> lines;
};

Result trace(const std::string& script, bool withStderr = false) {
  const std::string input = ::testing::TempDir() + "trace_input.txt";
  std::ofstream(input, std::ios::binary) << script;
  const std::string command =
      std::string("'") + KESTRIX_TRACE_PATH + "' < '" + input + "'" + (withStderr ? " 2>&1" : "");
  Result result{};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::string line;
  for (int c; (c = std::fgetc(pipe)) != EOF;) {
    if (c == '\n') {
      result.lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(TraceTool, PrintsTheStartUpStepAndOneLinePerTick) {
  const Result r = trace("\nright\nUP SPACE\n\nleft,space\n");
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 6u);
  EXPECT_EQ(r.lines[0], "0 10 231 1 0 0 0");
  EXPECT_EQ(r.lines[1], "1 10 231 1 0 0 0");
  EXPECT_EQ(r.lines[2], "2 11 231 1 0 0 0");
  EXPECT_EQ(r.lines[3], "3 11 231 1 34 10 1");
  EXPECT_EQ(r.lines[4], "4 11 230 1 33 9 0 0:16,230,30");
  EXPECT_EQ(r.lines[5], "5 10 229 -1 32 8 0 0:18,230,29");
}

TEST(TraceTool, AcceptsWindowsLineEndsAndAScriptWithoutAFinalNewline) {
  const Result r = trace("RIGHT\r\nRIGHT");
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[2], "2 12 231 1 0 0 0");
}

TEST(TraceTool, RefusesAnUnknownKeyNamingItsLine) {
  const Result r = trace("LEFT\nJUMP\n", true);
  EXPECT_EQ(r.status, 2);
  ASSERT_FALSE(r.lines.empty());
  EXPECT_NE(r.lines.back().find("line 2"), std::string::npos) << r.lines.back();
  EXPECT_NE(r.lines.back().find("JUMP"), std::string::npos) << r.lines.back();
}

TEST(TraceTool, EchoesAScriptOnlyQuotedAndCut) {
  // A word that would colour the terminal, a line of 10 MB, a script without line ends.
  for (const std::string& script : {"JUMP\x1b[31m\x07" + std::string(500, 'B') + "\n",
                                    "LEFT\n" + std::string(10 << 20, 'A') + "\n", std::string(5000, '\0')}) {
    const Result r = trace(script, true);
    EXPECT_EQ(r.status, 2);
    ASSERT_FALSE(r.lines.empty());
    const std::string& message = r.lines.back();
    EXPECT_LT(message.size(), 160u) << message.substr(0, 160);
    EXPECT_TRUE(std::all_of(message.begin(), message.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
        << message.substr(0, 160);
  }
}

}  // namespace
