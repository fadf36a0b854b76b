// The window on a real X server (the test runs under Xvfb, 1024×768): real key presses sent
// with xdotool reach the KeyTable through SDL, the message pump and the window procedure,
// and Escape ends the loop with 0.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_clip.h"
#include "display/display.h"
#include "display/keyboard.h"
#include "platform/bass_record/bass_record.h"
#include "platform/testing/synthetic_events.h"
#include "platform/win32/window_internal.h"
#include "tests/support/message_pump.h"
#include "tests/support/run_tool.h"

namespace {

bool run(const std::string& command) { return runShell(command).status == 0; }

class WindowGui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { unsetenv("SDL_VIDEODRIVER"); }
  void SetUp() override { ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under an X server, e.g. xvfb-run"; }
};

TEST_F(WindowGui, RealKeysReachTheKeyTableAndEscapeEndsTheLoopWithZero) {
  bassrecord::reset();
  musicClip = new AudioClip{};
  // Never destroyed: no display is set up to give back. Reachable.
  static DisplayContext* const context = new DisplayContext("Kestrix GUI test");
  context->createWindow(GetModuleHandleA(nullptr));
  ASSERT_STREQ(synthetic::videoDriver(), "x11");
  EXPECT_FALSE(IsWindowVisible(context->window));
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(context->window, &rect));
  EXPECT_TRUE(rect.left == 0 && rect.top == 0 && rect.right == 1024 && rect.bottom == 768) << "the whole screen";
  platform::activateWindow(context->window);  // as the display set-up takes it over

  std::mutex mutex;
  std::vector<std::string> findings;  // what the keyboard's thread found wrong
  const auto expect = [&](bool holds, const std::string& finding) {
    if (holds) return;
    std::lock_guard lock(mutex);
    findings.push_back(finding);
  };
  std::atomic<bool> loopEnded{false};
  std::thread keyboard([&] {
    expect(run("timeout 10 xdotool search --sync --onlyvisible --name '^Kestrix GUI test$'"), "no window shown");
    const std::pair<const char*, int> keys[] = {{"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Up", VK_UP}, {"space", VK_SPACE}};
    for (const auto& [name, code] : keys) {
      run(std::string("xdotool keydown ") + name);
      expect(testsupport::waitUntil([code = code] { return isKeyDown(code); }, 5), std::string(name) + " not down");
      run(std::string("xdotool keyup ") + name);
      expect(testsupport::waitUntil([code = code] { return !isKeyDown(code); }, 5), std::string(name) + " not up");
    }
    // Alt with an arrow leaves the table; the Z pressed after it shows it was handled.
    run("xdotool keydown alt keydown Left keyup Left keyup alt keydown z");
    expect(testsupport::waitUntil([] { return isKeyDown('Z'); }, 5), "Z not down");
    expect(!isKeyDown(VK_LEFT), "Alt+Left reached the table");
    run("xdotool keyup z key Escape");
    if (!testsupport::waitUntil([&loopEnded] { return loopEnded.load(); })) {
      expect(false, "Escape did not end the loop");
      PostMessageA(nullptr, WM_QUIT, 99, 0);
    }
  });
  const WPARAM exitCode = testsupport::runMessageLoop();
  loopEnded.store(true);
  keyboard.join();

  for (const std::string& finding : findings) ADD_FAILURE() << finding;
  EXPECT_EQ(exitCode, WPARAM{0});
  EXPECT_FALSE(IsWindow(context->window));
  EXPECT_EQ(musicClip, nullptr);
  EXPECT_EQ(bassrecord::count(bassrecord::Function::Free), 1u);
  clearKeyTable();
}

}  // namespace
