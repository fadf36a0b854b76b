// The window on a real X server (the test runs under Xvfb): real key presses sent with
// xdotool reach the KeyTable through SDL, the message pump and the window procedure, and
// Escape destroys the window and ends the loop with 0. A real message box is shown too.
// The X server's screen is 1024×768 (see tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "audio/audio_clip.h"
#include "display/display.h"
#include "display/keyboard.h"
#include "platform/bass_record/bass_record.h"
#include "platform/testing/synthetic_events.h"
#include "platform/win32/window_internal.h"

namespace {

using namespace std::chrono_literals;

// Display objects are never destroyed: no display is set up to give back. Reachable.
auto* const contexts = new std::vector<DisplayContext*>;

DisplayContext& newWindow(const char* name) {
  contexts->push_back(new DisplayContext(name));
  contexts->back()->createWindow(GetModuleHandleA(nullptr));
  return *contexts->back();
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds timeout = 5000ms) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// What a second thread found wrong while it drove the keyboard.
class Findings {
 public:
  void add(std::string finding) {
    std::lock_guard lock(mutex_);
    list_.push_back(std::move(finding));
  }
  std::vector<std::string> list() {
    std::lock_guard lock(mutex_);
    return list_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> list_;
};

class WindowGui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { unsetenv("SDL_VIDEODRIVER"); }
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server, e.g. xvfb-run";
    bassrecord::reset();
    bassrecord::setLogging(true);
  }
  void TearDown() override { bassrecord::reset(); }
};

struct Dispatched {
  UINT message;
  WPARAM wParam;
};

// The program's loop: messages first; while active, a "frame" (here a short pause);
// otherwise WaitMessage. Returns the exit code and records what it dispatched.
WPARAM messageLoop(std::vector<Dispatched>& dispatched) {
  MSG message{};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (GetMessageA(&message, nullptr, 0, 0) == 0) return message.wParam;
      dispatched.push_back({message.message, message.wParam});
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (displaySettings.active != 0) {
      std::this_thread::sleep_for(1ms);
    } else {
      WaitMessage();
    }
  }
}

int count(const std::vector<Dispatched>& dispatched, UINT message, WPARAM wParam) {
  int n = 0;
  for (const Dispatched& d : dispatched) n += d.message == message && d.wParam == wParam ? 1 : 0;
  return n;
}

TEST_F(WindowGui, RealKeysReachTheKeyTableAndEscapeEndsTheLoopWithZero) {
  musicClip = new AudioClip{};
  DisplayContext& context = newWindow("Kestrix GUI test");
  ASSERT_NE(context.window, nullptr);
  ASSERT_STREQ(synthetic::videoDriver(), "x11");
  EXPECT_FALSE(IsWindowVisible(context.window));
  // The display set-up takes the window over like this; the game draws only while active.
  platform::activateWindow(context.window);
  EXPECT_EQ(displaySettings.active, 1);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(context.window, &rect));
  EXPECT_EQ(rect.left, 0);  // the whole screen of the X server
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 1024);
  EXPECT_EQ(rect.bottom, 768);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));

  Findings findings;
  std::atomic<bool> loopEnded{false};
  std::thread keyboard([&] {
    if (!run("timeout 10 xdotool search --sync --onlyvisible --name '^Kestrix GUI test$' >/dev/null")) {
      findings.add("the window never showed");
    }
    const std::pair<const char*, int> keys[] = {{"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Up", VK_UP}, {"space", VK_SPACE}};
    for (const auto& [name, code] : keys) {
      run(std::string("xdotool keydown ") + name);
      if (!waitFor([code = code] { return isKeyDown(code); })) findings.add(std::string(name) + " never went down");
      run(std::string("xdotool keyup ") + name);
      if (!waitFor([code = code] { return !isKeyDown(code); })) findings.add(std::string(name) + " never went up");
    }
    // Alt with an arrow leaves the table; the Z pressed after it shows it was handled.
    run("xdotool keydown alt keydown Left keyup Left keyup alt keydown z");
    if (!waitFor([] { return isKeyDown('Z'); })) findings.add("Z never went down");
    if (isKeyDown(VK_LEFT)) findings.add("Alt+Left reached the table");
    run("xdotool keyup z");
    // The pointer over the window asks for the cursor, which the window procedure hides.
    run("xdotool mousemove 40 40 mousemove 60 50");
    if (!waitFor([] { return GetCursor() == nullptr; })) findings.add("the cursor stayed");

    run("xdotool key Escape");
    if (!waitFor([&loopEnded] { return loopEnded.load(); }, 10000ms)) {
      findings.add("Escape did not end the loop");
      PostMessageA(nullptr, WM_QUIT, 99, 0);
    }
  });

  std::vector<Dispatched> dispatched;
  const WPARAM exitCode = messageLoop(dispatched);
  loopEnded.store(true);
  keyboard.join();

  for (const std::string& finding : findings.list()) ADD_FAILURE() << finding;
  EXPECT_EQ(exitCode, WPARAM{0});
  EXPECT_FALSE(IsWindow(context.window));
  EXPECT_EQ(musicClip, nullptr);
  EXPECT_EQ(bassrecord::count(bassrecord::Function::Stop), 1u);
  EXPECT_EQ(bassrecord::count(bassrecord::Function::Free), 1u);
  EXPECT_EQ(count(dispatched, WM_KEYDOWN, VK_LEFT), 1);
  EXPECT_EQ(count(dispatched, WM_SYSKEYDOWN, VK_LEFT), 1);
  EXPECT_EQ(count(dispatched, WM_KEYDOWN, VK_ESCAPE), 1);
  EXPECT_EQ(count(dispatched, WM_CLOSE, 0), 1);
  EXPECT_EQ(keyTable[VK_ESCAPE].load(), 0);
  clearKeyTable();
}

TEST_F(WindowGui, MinimisingStopsDrawingAndRestoringResumesIt) {
  DisplayContext& context = newWindow("Kestrix GUI minimise");
  platform::activateWindow(context.window);
  EXPECT_EQ(displaySettings.active, 1);
  ShowWindow(context.window, SW_MINIMIZE);
  EXPECT_EQ(displaySettings.active, 0);
  MSG message{};
  std::this_thread::sleep_for(200ms);  // whatever the X server says meanwhile changes nothing
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(displaySettings.active, 0);
  ShowWindow(context.window, SW_RESTORE);
  EXPECT_EQ(displaySettings.active, 1);
  std::this_thread::sleep_for(200ms);
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(displaySettings.active, 1);
  DestroyWindow(context.window);
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// The id of the top-level window with this title, or "". SDL titles its message boxes
// in UTF-8 only, which xdotool's search does not read; xwininfo does. The answer goes
// through a file, not a pipe: SDL shows the box from a forked process, which would inherit
// a pipe's write end and keep the reader waiting for an end that never comes.
std::string windowIdOf(const std::string& title) {
  const std::string answer = ::testing::TempDir() + "window_id.txt";
  const std::string command = "xwininfo -root -tree | sed -n 's/^ *\\(0x[0-9a-f]*\\) \"" + title +
                              "\":.*/\\1/p' > '" + answer + "'";
  if (!run(command)) return "";
  std::string id;
  if (FILE* file = std::fopen(answer.c_str(), "r")) {
    for (int c; (c = std::fgetc(file)) != EOF && c != '\n';) id += static_cast<char>(c);
    std::fclose(file);
  }
  return id;
}

TEST_F(WindowGui, AMessageBoxShowsOnTheDisplayAndStandardError) {
  std::atomic<bool> seen{false};
  std::atomic<bool> answered{false};
  // A person who presses Enter on the box until it goes: on a loaded machine the box, or
  // the focus, may take a while, and one key press may come too early.
  std::thread person([&seen, &answered] {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!answered.load() && std::chrono::steady_clock::now() < deadline) {
      const std::string id = windowIdOf("Kestrix box");
      if (!id.empty()) {
        seen.store(true);
        run("xdotool windowfocus " + id + " key Return");
      }
      std::this_thread::sleep_for(200ms);
    }
  });
  ::testing::internal::CaptureStderr();
  const int answer = MessageBoxA(nullptr, "Pulsa Intro", "Kestrix box", MB_OK | MB_ICONERROR);
  answered.store(true);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  person.join();
  EXPECT_TRUE(seen.load());
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(errors, "Kestrix box: Pulsa Intro\n");
}

}  // namespace
