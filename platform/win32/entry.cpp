// The program's start-up, as the Windows runtime does it: WinMain with the module's
// instance handle, no previous instance, the command line after the program's name and
// SW_SHOWDEFAULT; its result goes to exit. In a library of its own, so that programs with
// their own main (tests, tools) do not get it.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/termination.h"

// Before anything of the program runs, so that no termination request is lost.
[[maybe_unused]] static const bool catching = (platform::catchTerminationRequests(), true);

int main(int argc, char** argv) {
  // Arguments joined as Windows hands them over, quoting those with blanks.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    const std::string argument = argv[i];
    const bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
    commandLine += quote ? '"' + argument + '"' : argument;
  }
  std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT));
}
