// The real game as a test drives it: kestrix-example started in a folder of its own with
// chosen data files and settings, on the X server of the test's environment (Xvfb), keys
// sent with xdotool, the screen read back from the X server.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/bmp_image.h"

namespace e2e {

// The whole X screen, 0x00RRGGBB.
using Screen = testsupport::BmpImage;

struct SessionOptions {
  std::vector<std::string> settings;  // NAME=value added to the game's environment, -NAME removed
  std::vector<std::string> files;     // data files put in its folder, from the assets
};

// The three files the game needs: the archive of pictures, the music and the jump sound.
std::vector<std::string> allDataFiles();
// The ten pictures, each loose.
std::vector<std::string> pictureFiles();

class GameSession {
 public:
  explicit GameSession(const SessionOptions& options);
  ~GameSession();  // ends the game if it still runs and removes its folder
  GameSession(const GameSession&) = delete;
  GameSession& operator=(const GameSession&) = delete;

  // Waits for the game's window; false if the game ended or none came in time.
  bool waitForWindow(double seconds = 10);
  // Waits for the game to end; its exit code, or -1 if it is still running (or was killed).
  int waitForExit(double seconds = 10);
  bool running();
  pid_t pid() const { return pid_; }
  std::string errorOutput() const;

  void key(const char* name);
  void keyDown(const char* name);
  void keyUp(const char* name);
  // Unmaps and maps the window again, as a window manager does on minimise and restore.
  void minimise();
  void restore();
  // CPU time the game's main thread has used so far, from /proc.
  std::int64_t mainThreadCpuNs() const;

 private:
  void xdotool(const std::string& arguments);
  std::string folder_;
  std::string window_;
  pid_t pid_ = -1;
  int exitCode_ = -1;
};

Screen takeScreenshot();
double nowSeconds();
void sleepSeconds(double seconds);

}  // namespace e2e
