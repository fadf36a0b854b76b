// The real game as a test drives it: kestrix-example started in a folder of its own with
// chosen data files and settings, on the test's X server (Xvfb), driven with xdotool, the
// screen read back from the X server.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

struct Screen {  // the whole X screen, 0x00RRGGBB
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // row by row
};

struct SessionOptions {
  std::vector<std::string> settings;  // NAME=value added to the game's environment, -NAME removed
  std::vector<std::string> files;     // data files copied into its folder from the assets
  std::string program = KESTRIX_GAME_PATH;  // or another program of the library's
  std::string title = "Ejemplo de Kestrix";  // its window's
};

inline std::vector<std::string> allDataFiles() { return {"kestrix.pak", "cagadon.it", "saltito.mp3"}; }

class GameSession {
 public:
  explicit GameSession(const SessionOptions& options);
  ~GameSession();  // kills the game if it still runs and removes its folder
  GameSession(const GameSession&) = delete;
  GameSession& operator=(const GameSession&) = delete;

  bool waitForWindow(double seconds = 10);  // false if the game ended or showed none in time
  int waitForExit(double seconds = 10);     // its exit code, or -1 while it still runs
  bool running();
  pid_t pid() const { return pid_; }
  std::string errorOutput() const { return fileText("stderr.txt"); }
  std::string fileText(const std::string& name) const;  // of a file in its folder; "" if none
  const std::string& window() const { return window_; }  // X window id, once shown
  void xdotool(const std::string& arguments);            // e.g. "keydown Right"
  std::int64_t mainThreadCpuNs() const;  // from /proc

 private:
  std::string folder_;
  std::string title_;
  std::string window_;
  pid_t pid_ = -1;
  int exitCode_ = -1;
};

// Of the test's X server, or of the one named (":N"): nothing where that one refuses.
Screen takeScreenshot(const char* displayName = nullptr);
inline double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
inline void sleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

}  // namespace e2e
