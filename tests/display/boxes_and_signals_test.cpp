// Boxes and signals: the real game on an X server of the test's own, ended at several
// moments (as soon as it can catch a signal, with its start-up error box up, while it plays)
// by the box's answer, a signal, or the X server going away; and nothing of it stays behind.
// A display it cannot use (none, a dead one, 8 bits per pixel) ends its start.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/game_session.h"
#include "tests/support/wait_until.h"

namespace {

constexpr int deadlineSeconds = 20;  // generous, for a loaded machine; every wait ends early

// An Xvfb of its own, on a display it picks and writes to a pipe.
struct XServer {
  explicit XServer(const char* screen = "640x480x24") {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid = fork();
    if (pid == 0) {
      close(ready[0]);
      execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-screen", "0", screen, "-nolisten",
             "tcp", static_cast<char*>(nullptr));
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

// The children of every thread of a process.
std::vector<pid_t> childrenOf(pid_t pid) {
  std::vector<pid_t> children;
  std::error_code none;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", none)) {
    std::ifstream in(task.path() / "children");
    for (pid_t child; in >> child;) children.push_back(child);
  }
  return children;
}

bool ended(pid_t pid) {  // gone, or a zombie
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return stat.empty() || stat[stat.rfind(')') + 2] == 'Z';
}

bool catches(pid_t pid, int signal) {  // the process has a handler of its own for the signal
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line) && line.rfind("SigCgt:", 0) != 0) {}
  return line.size() > 7 && (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
}

enum class Moment { signalsCaught, boxUp, playing };
constexpr int pressReturn = -1, killServer = 0;

struct Case {
  const char* name;
  Moment moment;
  int action;  // a signal, pressReturn or killServer
  bool dataFiles;
  int exitCode;
  const char* path = "KESTRIX_WINDOW=";  // a display path: a setting of the game's
};

TEST(BoxesAndSignals, TheAnswerASignalOrTheLossOfTheDisplayEndsTheGameAndAllOfIt) {
  const Case cases[] = {
      {"Return on the start-up box", Moment::boxUp, pressReturn, false, 1},
      {"SIGTERM on the box", Moment::boxUp, SIGTERM, false, 1},
      {"SIGINT on the box", Moment::boxUp, SIGINT, false, 1},
      {"SIGKILL on the box", Moment::boxUp, SIGKILL, false, 128 + SIGKILL},
      {"display lost on the box", Moment::boxUp, killServer, false, 1},
      {"SIGTERM at once, start fails", Moment::signalsCaught, SIGTERM, false, 1},
      {"SIGINT at once, start succeeds", Moment::signalsCaught, SIGINT, true, 1},
      {"SIGTERM while playing", Moment::playing, SIGTERM, true, 0},
      {"display lost, Direct3D", Moment::playing, killServer, true, 1},
      {"display lost, DirectDraw 32", Moment::playing, killServer, true, 1, "KESTRIX_DIRECT3D=0"},
      {"display lost, DirectDraw 16", Moment::playing, killServer, true, 1, "KESTRIX_DISPLAY_DEPTHS=16"},
      {"display lost, DirectDraw 8", Moment::playing, killServer, true, 1, "KESTRIX_DISPLAY_DEPTHS=8"},
      {"display lost, in a window", Moment::playing, killServer, true, 1, "KESTRIX_WINDOW=2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    XServer server;
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    const std::string display = "DISPLAY=" + server.display;
    e2e::GameSession game({{display, "-SDL_VIDEODRIVER", "KESTRIX_STATS=figures.txt", c.path,
                            std::string(c.path).starts_with("KESTRIX_DISPLAY") ? "KESTRIX_DIRECT3D=0" : "-NONE"},
                           c.dataFiles ? e2e::allDataFiles() : std::vector<std::string>{}});
    const std::string viewable = display + " xwininfo -name Error 2>/dev/null | grep -q IsViewable";
    const auto reached = [&] {
      switch (c.moment) {
        case Moment::signalsCaught: return catches(game.pid(), SIGTERM);
        case Moment::boxUp: return std::system(viewable.c_str()) == 0;
        case Moment::playing: break;
      }
      try {  // the server refuses connections for a moment when it resets itself
        const e2e::Screen screen = e2e::takeScreenshot(server.display.c_str());
        return std::any_of(screen.pixels.begin(), screen.pixels.end(), [](std::uint32_t p) { return p != 0; });
      } catch (const std::runtime_error&) {
        return false;
      }
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return !game.running() || reached(); }, deadlineSeconds) &&
                game.running())
        << game.errorOutput();
    const std::vector<pid_t> children = childrenOf(game.pid());
    if (c.action == pressReturn) {  // pressed until the box goes: one press may come before the box has the focus
      const std::string press = display + " xdotool windowfocus $(" + display +
                                " xwininfo -name Error 2>/dev/null | awk '/Window id/ {print $4}') key Return";
      testsupport::waitUntil([&] { return std::system(press.c_str()) < 0 || !game.running(); }, deadlineSeconds);
    } else if (c.action != killServer) {
      kill(game.pid(), c.action);
    } else {
      server.stop();
    }
    EXPECT_EQ(game.waitForExit(deadlineSeconds), c.exitCode) << game.errorOutput();
    for (pid_t child : children) {
      EXPECT_TRUE(testsupport::waitUntil([child] { return ended(child); }, deadlineSeconds)) << "left behind: " << child;
    }
    if (c.moment == Moment::playing && c.action == killServer) {  // the run's figures, though its end was abrupt
      EXPECT_EQ(game.fileText("figures.txt").rfind("frames ", 0), 0u);
      EXPECT_NE(game.fileText("figures.txt").rfind("frames 0\n", 0), 0u);
    }
  }
}

// One line on standard error says why, and the game ends with code 1 at once: without a
// display the window layer does not settle on SDL's off-screen driver, which no one could end.
TEST(BoxesAndSignals, ADisplayThatCannotBeUsedEndsTheStartWithOneLineNamingIt) {
  int free = 90;  // an X display number no server has
  while (access(("/tmp/.X11-unix/X" + std::to_string(free)).c_str(), F_OK) == 0) ++free;
  XServer eightBits("1024x768x8");
  ASSERT_FALSE(eightBits.display.empty()) << "Xvfb did not start";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-DISPLAY", "-WAYLAND_DISPLAY"}, ""},
      {{"DISPLAY=:" + std::to_string(free), "-WAYLAND_DISPLAY"}, "DISPLAY=\":" + std::to_string(free) + "\""},
      {{"-DISPLAY", "WAYLAND_DISPLAY=kestrix-none", "-XDG_RUNTIME_DIR"}, "WAYLAND_DISPLAY=\"kestrix-none\""},
      {{"DISPLAY=" + eightBits.display}, "8 bits per pixel"},
      {{"DISPLAY=" + eightBits.display, "KESTRIX_WINDOW=2"}, "8 bits per pixel"},
  };
  for (auto [settings, named] : cases) {
    settings.push_back("-SDL_VIDEODRIVER");
    e2e::GameSession game({settings, e2e::allDataFiles()});
    EXPECT_EQ(game.waitForExit(deadlineSeconds), 1) << named;
    std::istringstream lines(game.errorOutput());
    std::vector<std::string> said;
    for (std::string line; std::getline(lines, line);) said.push_back(line);
    const std::vector<std::string> expected = {"Error: ERROR: no puedo crear la ventana"};
    if (named.empty()) {
      EXPECT_EQ(said, expected);
    } else {
      EXPECT_TRUE(said.size() == 2 && said[0].find(named) != std::string::npos && said[1] == expected[0])
          << game.errorOutput();
    }
  }
}

}  // namespace
