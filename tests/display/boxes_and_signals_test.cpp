// Boxes and signals: the real game ending in its start-up error box (it finds no pictures)
// on an X server of the test's own, and what ends it while the box waits: its answer, a
// termination request, or the X server going away.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/game_session.h"
#include "tests/support/wait_until.h"

namespace {

constexpr int deadlineSeconds = 20;  // generous, for a loaded machine; every wait ends early

// An Xvfb of its own, on a display it picks and writes to a pipe.
struct XServer {
  XServer() {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid = fork();
    if (pid == 0) {
      close(ready[0]);
      execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-screen", "0", "640x480x24",
             "-nolisten", "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    std::string number;
    for (char c; poll(&wait, 1, deadlineSeconds * 1000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n';) number += c;
    close(ready[0]);
    if (!number.empty()) display = ":" + number;
  }
  ~XServer() { stop(); }
  void stop() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
  }
  pid_t pid = -1;
  std::string display;
};

TEST(BoxesAndSignals, WhileTheStartUpErrorBoxWaitsItsAnswerASignalOrTheLossOfTheDisplayEndsTheGameWithOne) {
  for (int signal : {-1, SIGTERM, SIGINT, 0}) {  // -1: Return pressed on the box; 0: the X server killed
    XServer server;
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    e2e::GameSession game({{"DISPLAY=" + server.display, "-SDL_VIDEODRIVER"}, {}});  // no data files
    const std::string viewable = "DISPLAY=" + server.display + " xwininfo -name Error 2>/dev/null | grep -q IsViewable";
    ASSERT_TRUE(testsupport::waitUntil([&] { return !game.running() || std::system(viewable.c_str()) == 0; },
                                       deadlineSeconds) &&
                game.running())
        << signal << ": " << game.errorOutput();
    if (signal == -1) {  // pressed until the box goes: one press may come before the box has the focus
      const std::string press = "DISPLAY=" + server.display + " xdotool windowfocus $(DISPLAY=" + server.display +
                                " xwininfo -name Error 2>/dev/null | awk '/Window id/ {print $4}') key Return";
      testsupport::waitUntil([&] { return std::system(press.c_str()) < 0 || !game.running(); },
                             deadlineSeconds);
    } else if (signal != 0) {
      kill(game.pid(), signal);
    } else {
      server.stop();
    }
    EXPECT_EQ(game.waitForExit(deadlineSeconds), 1) << signal;
  }
}

}  // namespace
