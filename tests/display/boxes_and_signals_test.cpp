// Boxes and signals: the real game ending in its start-up error box (it finds no pictures)
// on an X server of the test's own, and what ends it while the box waits: a termination
// request, or the X server going away.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/e2e/game_session.h"

namespace {

// Generous, for a loaded machine: every wait ends as soon as its condition holds.
constexpr int deadlineMs = 20000;

// An Xvfb of its own, on a display it picks and writes to a pipe.
class XServer {
 public:
  XServer() {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      const std::string fd = std::to_string(ready[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    std::string number;
    for (char c; poll(&wait, 1, deadlineMs) > 0 && read(ready[0], &c, 1) == 1 && c != '\n';) number += c;
    close(ready[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XServer() { kill(); }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& display() const { return display_; }
  void kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

bool boxShown(const std::string& display, e2e::GameSession& game) {
  const std::string viewable = "DISPLAY=" + display + " xwininfo -name Error 2>/dev/null | grep -q IsViewable";
  for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
       std::chrono::steady_clock::now() < end && game.running();) {
    if (std::system(viewable.c_str()) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST(BoxesAndSignals, WhileTheStartUpErrorBoxWaitsASignalOrTheLossOfTheDisplayEndsTheGameWithOne) {
  struct Case {
    const char* what;
    int signal;  // sent to the game; 0: the X server is killed instead
  };
  for (const Case& c : {Case{"SIGTERM", SIGTERM}, Case{"SIGINT", SIGINT}, Case{"X server killed", 0}}) {
    XServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    e2e::GameSession game({{"DISPLAY=" + server.display(), "-SDL_VIDEODRIVER"}, {}});  // no data files
    ASSERT_TRUE(boxShown(server.display(), game)) << c.what << ": " << game.errorOutput();
    if (c.signal != 0) {
      kill(game.pid(), c.signal);
    } else {
      server.kill();
    }
    EXPECT_EQ(game.waitForExit(deadlineMs / 1000), 1) << c.what;
  }
}

}  // namespace
