// Runs a command-line tool through the shell and keeps its exit status and its output
// (standard error joined to standard output).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct ToolRun {
  int status = -1;  // the exit code, or -1 when it did not exit normally
  std::string output;
};

// A whole shell command line, for what a test sets up around a tool: redirections, pipes.
inline ToolRun runShell(const std::string& commandLine) {
  ToolRun result;
  FILE* pipe = popen(("(" + commandLine + ") 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  for (int c; (c = std::fgetc(pipe)) != EOF;) result.output += static_cast<char>(c);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline ToolRun runTool(const std::string& program, const std::string& arguments) {
  return runShell("'" + program + "' " + arguments);
}

// A tool's refusal: exit code `status` (1 unless told) and a message that holds `reason`.
inline ::testing::AssertionResult refused(const ToolRun& run, const std::string& reason, int status = 1) {
  if (run.status == status && run.output.find(reason) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "exit code " << run.status << " without \"" << reason << "\":\n" << run.output;
}
