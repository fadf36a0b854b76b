#include "tests/e2e/game_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "tests/support/run_tool.h"
#include "tests/support/wait_until.h"
// After gtest, whose names Xlib's macros (None) would break.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {
namespace fs = std::filesystem;

GameSession::GameSession(const SessionOptions& options) : title_(options.title) {
  char pattern[] = "/tmp/kestrix-e2e-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
  folder_ = pattern;
  for (const std::string& file : options.files) fs::copy_file(KESTRIX_ASSETS_DIR "/" + file, folder_ + "/" + file);
  pid_ = fork();
  if (pid_ != 0) return;
  if (chdir(folder_.c_str()) != 0 || std::freopen("stderr.txt", "w", stderr) == nullptr) _exit(126);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  for (const std::string& setting : options.settings) {
    if (setting[0] == '-') unsetenv(setting.c_str() + 1);
    else putenv(const_cast<char*>(setting.c_str()));
  }
  execl(options.program.c_str(), options.program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

GameSession::~GameSession() {
  if (running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

bool GameSession::running() {
  if (pid_ <= 0 || exitCode_ != -1) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == 0) return true;
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

bool GameSession::waitForWindow(double seconds) {
  for (const double end = nowSeconds() + seconds; nowSeconds() < end && running(); sleepSeconds(0.05)) {
    const std::string search = "xdotool search --onlyvisible --name '^" + title_ + "$' 2>/dev/null";
    window_ = runShell(search + " | head -n1 | tr -d '\\n'").output;
    if (!window_.empty()) return true;
  }
  return false;
}

int GameSession::waitForExit(double seconds) {
  return testsupport::waitUntil([this] { return !running(); }, seconds) ? exitCode_ : -1;
}

std::string GameSession::fileText(const std::string& name) const {
  std::ifstream in(folder_ + "/" + name);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void GameSession::xdotool(const std::string& arguments) {
  const ToolRun run = runShell("xdotool " + arguments);
  if (run.status != 0) throw std::runtime_error("xdotool " + arguments + ": " + run.output);
}

std::int64_t GameSession::mainThreadCpuNs() const {
  std::int64_t ns = -1;  // the first field of schedstat: nanoseconds on the CPU
  std::ifstream("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/schedstat") >> ns;
  return ns;
}

Screen takeScreenshot(const char* displayName) {
  // One GetImage request: the X server answers it whole, never half of two frames.
  // A named server may go away: no connection to it is kept.
  static Display* testDisplay = nullptr;
  if (displayName == nullptr && testDisplay == nullptr) testDisplay = XOpenDisplay(nullptr);
  const std::unique_ptr<Display, int (*)(Display*)> named(displayName ? XOpenDisplay(displayName) : nullptr,
                                                          [](Display* d) { return d ? XCloseDisplay(d) : 0; });
  Display* display = displayName != nullptr ? named.get() : testDisplay;
  if (display == nullptr && displayName != nullptr) return {};  // it refuses, e.g. while it resets itself
  if (display == nullptr) throw std::runtime_error("no X display");
  XWindowAttributes root{};
  XGetWindowAttributes(display, DefaultRootWindow(display), &root);
  XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(root.width),
                            static_cast<unsigned>(root.height), AllPlanes, ZPixmap);
  if (image == nullptr) throw std::runtime_error("screenshot failed");
  Screen screen{root.width, root.height, std::vector<std::uint32_t>(root.width * root.height)};
  for (int y = 0; y < root.height; ++y) {
    for (int x = 0; x < root.width; ++x) screen.pixels[y * root.width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
  }
  XDestroyImage(image);
  return screen;
}

}  // namespace e2e
