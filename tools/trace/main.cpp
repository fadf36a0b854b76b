// kestrix-trace: runs the game's rules from a key script and prints the state after every
// tick, so a person or a script can check the game without a display.
//
//   kestrix-trace < script
//
// Input: one line per tick naming the keys held during it (LEFT, RIGHT, UP, SPACE; an
// empty line holds none). Output: a line for the start-up step (tick 0) and one after each
// tick: <tick> <x> <y> <facing> <jumpTicks> <fireTimer> <sound> [<slot>:<x>,<y>,<drift> ...]
// A script it cannot read ends it with code 2, standard output it cannot write with 1.
#include <cstdio>

#include "display/fatal_error.h"
#include "tools/common/tool_output.h"
#include "tools/trace/tick_driver.h"

namespace {

constexpr const char* usage =
    "usage: kestrix-trace < script\n"
    "  one line per tick naming the keys held: LEFT RIGHT UP SPACE (empty: none)\n"
    "  prints: <tick> <x> <y> <facing> <jumpTicks> <fireTimer> <sound> [<slot>:<x>,<y>,<drift> ...]\n";

int trace() {
  TickDriver driver;
  driver.startUp();
  writeStandardOutput(driver.line() + '\n');
  KeyScript script(stdin);
  try {
    for (TickKeys keys; script.next(keys);) {
      driver.tick(keys);
      writeStandardOutput(driver.line() + '\n');
    }
  } catch (const KeyScriptError& error) {
    std::fflush(stdout);  // the lines before it come first
    std::fprintf(stderr, "kestrix-trace: %s\n", error.what());
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  fatalErrorReporter = reportFatalErrorOnStandardError;
  fatalErrorProgramName = "kestrix-trace";
  return toolMain("kestrix-trace", [&] {
    if (argc == 1) return trace();
    return showUsage(usage, asksForHelp(argc, argv));
  });
}
