// The real game on an X server of its own, ended by its box's answer, a signal or the server
// going away, leaving nothing behind; and a display it cannot use ending its start.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/game_session.h"
#include "tests/support/run_tool.h"
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

// The processes a game's threads started.
std::vector<pid_t> childrenOf(pid_t pid) {
  std::istringstream in(runShell("cat /proc/" + std::to_string(pid) + "/task/*/children 2>/dev/null").output);
  return {std::istream_iterator<pid_t>(in), std::istream_iterator<pid_t>()};
}

enum class Moment { signalsCaught, boxUp, playing };
constexpr int pressReturn = -1, killServer = 0;
// action: a signal, pressReturn or killServer; path: the game's settings of a display path.
struct Case {
  const char* name; Moment moment; int action; bool dataFiles; int exitCode; std::vector<std::string> path{};
};

TEST(BoxesAndSignals, TheAnswerASignalOrTheLossOfTheDisplayEndsTheGameAndAllOfIt) {
  const std::string directDraw = "KESTRIX_DIRECT3D=0", depth = "KESTRIX_DISPLAY_DEPTHS=";
  const Case cases[] = {
      {"Return on the start-up box", Moment::boxUp, pressReturn, false, 1},
      {"SIGTERM on the box", Moment::boxUp, SIGTERM, false, 1},
      {"SIGKILL on the box", Moment::boxUp, SIGKILL, false, 128 + SIGKILL},
      {"display lost on the box", Moment::boxUp, killServer, false, 1},
      {"SIGTERM at once, start fails", Moment::signalsCaught, SIGTERM, false, 1},
      {"SIGINT at once, start succeeds", Moment::signalsCaught, SIGINT, true, 1},
      {"SIGTERM while playing", Moment::playing, SIGTERM, true, 0},
      {"display lost, Direct3D", Moment::playing, killServer, true, 1},
      {"display lost, DirectDraw 32", Moment::playing, killServer, true, 1, {directDraw}},
      {"display lost, DirectDraw 8", Moment::playing, killServer, true, 1, {directDraw, depth + "8"}},
      {"display lost, in a window", Moment::playing, killServer, true, 1, {"KESTRIX_WINDOW=2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    XServer server;
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    const std::string display = "DISPLAY=" + server.display;
    std::vector<std::string> settings = {display, "-SDL_VIDEODRIVER", "KESTRIX_STATS=figures.txt", "-KESTRIX_WINDOW"};
    settings.insert(settings.end(), c.path.begin(), c.path.end());
    e2e::GameSession game({settings, c.dataFiles ? e2e::allDataFiles() : std::vector<std::string>{}});
    const auto reached = [&] {
      switch (c.moment) {
        case Moment::signalsCaught: {  // SIGTERM's bit in the signals it catches; read at once, no shell
          std::ifstream status("/proc/" + std::to_string(game.pid()) + "/status");
          std::string line;
          while (std::getline(status, line) && !line.starts_with("SigCgt:")) {}
          return line.size() > 7 && (std::stoull(line.substr(7), nullptr, 16) & 1 << (SIGTERM - 1)) != 0;
        }
        case Moment::boxUp: return runShell(display + " xwininfo -name Error | grep -q IsViewable").status == 0;
        case Moment::playing: break;
      }
      return std::ranges::any_of(e2e::takeScreenshot(server.display.c_str()).pixels, [](auto p) { return p != 0; });
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return !game.running() || reached(); }, deadlineSeconds) &&
                game.running())
        << game.errorOutput();
    // The box's process, when one is up; otherwise the signal goes at once, before the loop.
    const std::vector<pid_t> children = c.moment == Moment::boxUp ? childrenOf(game.pid()) : std::vector<pid_t>{};
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
      const auto ended = [child] {  // gone, or a zombie
        const std::string state = runShell("ps -o stat= -p " + std::to_string(child)).output;
        return state.empty() || state[0] == 'Z';
      };
      EXPECT_TRUE(testsupport::waitUntil(ended, deadlineSeconds)) << "left behind: " << child;
    }
    const std::string figures = game.fileText("figures.txt");  // written, though the end was abrupt
    EXPECT_TRUE(c.moment != Moment::playing || (figures.starts_with("frames ") && figures[7] != '0')) << figures;
  }
}

// One line on standard error says why, and the game ends with code 1 at once (not on SDL's off-screen driver).
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
  };
  for (auto [settings, named] : cases) {
    settings.push_back("-SDL_VIDEODRIVER");
    e2e::GameSession game({settings, e2e::allDataFiles()});
    EXPECT_EQ(game.waitForExit(deadlineSeconds), 1) << named;
    const std::string said = game.errorOutput();  // the line naming the display, then the game's
    EXPECT_TRUE(said.ends_with("Error: ERROR: no puedo crear la ventana\n") && said.find(named) < said.find('\n') &&
                std::ranges::count(said, '\n') == (named.empty() ? 1 : 2)) << said;
  }
}

}  // namespace
