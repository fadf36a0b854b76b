// A program made of WinMain alone, started through the platform's entry: it prints what it
// was given and returns the number its command line starts with.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
  std::printf("instance %s\n", hInstance != nullptr && hInstance == GetModuleHandleA(nullptr) ? "ok" : "wrong");
  std::printf("previous %s\n", hPrevInstance == nullptr ? "null" : "set");
  std::printf("show %d\n", nShowCmd);
  std::printf("command line [%s]\n", lpCmdLine);
  std::fflush(stdout);
  return std::atoi(lpCmdLine);
}
