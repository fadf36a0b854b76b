// kestrix-trace: runs the game's rules from a key script and prints the state after every
// tick, so a person or a script can check the game without a display.
//
//   kestrix-trace < script
//
// Input: one line per tick naming the keys held during it (LEFT, RIGHT, UP, SPACE; an
// empty line holds none). Output: a line for the start-up step (tick 0) and one after each
// tick: <tick> <x> <y> <facing> <jumpTicks> <fireTimer> <sound> [<slot>:<x>,<y>,<drift> ...]
#include <cstring>
#include <iostream>
#include <string>

#include "tools/trace/tick_driver.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0;
    (help ? std::cout : std::cerr) << "usage: kestrix-trace < script\n"
                                      "  one line per tick naming the keys held: LEFT RIGHT UP SPACE (empty: none)\n"
                                      "  prints: <tick> <x> <y> <facing> <jumpTicks> <fireTimer> <sound> "
                                      "[<slot>:<x>,<y>,<drift> ...]\n";
    return help ? 0 : 2;
  }
  std::ios::sync_with_stdio(false);

  TickDriver driver;
  driver.startUp();
  std::cout << driver.line() << '\n';

  std::string text;
  for (long lineNumber = 1; std::getline(std::cin, text); ++lineNumber) {
    TickKeys keys;
    std::string error;
    if (!parseTickKeys(text, keys, error)) {
      std::cout.flush();
      std::cerr << "kestrix-trace: line " << lineNumber << ": " << error << '\n';
      return 2;
    }
    driver.tick(keys);
    std::cout << driver.line() << '\n';
  }
  return 0;
}
