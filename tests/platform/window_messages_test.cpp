// The window layer on SDL's dummy driver: the message queue, WaitMessage, what the window system's events become.
#include <gtest/gtest.h>

#include <algorithm>

#include <windows.h>

#include <atomic>
#include <functional>
#include <future>
#include <tuple>
#include <vector>

#include "platform/testing/synthetic_events.h"
#include "platform/win32/development_window.h"
#include "tests/support/headless_video.h"
#include "tests/support/message_pump.h"

namespace {

using synthetic::WindowEvent;

std::vector<MSG> received;  // what the windows' procedure got, in order

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(MSG{window, message, wParam, lParam, 0, {}});
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool registered = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = recordingProc;
      windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      windowClass.lpszClassName = "Kestrix recording window";
      return RegisterClassA(&windowClass) != 0;
    }();
    ASSERT_TRUE(registered);
    window = make();
    received.clear();
  }
  void TearDown() override {
    for (HWND w : made) DestroyWindow(w);
    testsupport::takeMessages();
  }

  HWND make() {
    return made.emplace_back(CreateWindowExA(0, "Kestrix recording window", "", WS_POPUP, 0, 0, 64, 48, nullptr,
                                             nullptr, nullptr, nullptr));
  }

  std::vector<HWND> made;
  HWND window = nullptr;
  MSG message{};
};

TEST_F(WindowLayer, PostedMessagesComeInOrderAndTheQuitRequestLastWithItsCode) {
  ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 7, 8));
  ASSERT_TRUE(PostMessageA(nullptr, WM_APP, 1, 2));
  PostQuitMessage(7);
  EXPECT_FALSE(PeekMessageA(&message, window, WM_QUIT, WM_QUIT, PM_NOREMOVE));  // the quit belongs to no window
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);  // the same one: the peek left it
  EXPECT_TRUE(message.hwnd == window && message.message == WM_USER + 1 && message.wParam == 7 && message.lParam == 8);
  DispatchMessageA(&message);
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
  EXPECT_TRUE(message.hwnd == nullptr && message.message == WM_APP);
  EXPECT_EQ(DispatchMessageA(&message), 0);  // a thread message: dispatched to no one
  EXPECT_EQ(received.size(), 1u);
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
  EXPECT_TRUE(message.message == WM_QUIT && message.wParam == 7);

  PostMessageA(window, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(window));  // its message goes with it
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_EQ(GetMessageA(&message, window, 0, 0), -1);
  PostMessageA(nullptr, WM_QUIT, 3, 0);  // posted like any other, a quit ends GetMessage too
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
  EXPECT_EQ(message.wParam, WPARAM{3});
}

// WaitMessage returns once another thread posts or an event posts or sends a message, even
// when the window system refuses the wake-up.
TEST_F(WindowLayer, WaitMessageSleepsUntilAMessageArrives) {
  const HWND target = window;
  struct Case { std::function<void()> wake; UINT posted; bool refused; };  // posted 0: none, but one was sent
  const Case cases[] = {{[target] { PostMessageA(target, WM_USER + 5, 0, 0); }, WM_USER + 5, false},
                        {[target] { synthetic::pushKey(target, "Left", true); }, WM_KEYDOWN, false},
                        {[target] { synthetic::pushWindowEvent(target, WindowEvent::minimized); }, 0, false},
                        {[target] { PostMessageA(target, WM_USER + 6, 0, 0); }, WM_USER + 6, true}};
  for (const Case& c : cases) {
    if (c.refused) synthetic::refuseUserEvents(true);
    std::atomic<bool> returned{false};
    auto waker = std::async(std::launch::async, [&c, &returned] {
      const bool slept = testsupport::waitUntil(synthetic::windowsThreadWaits);
      c.wake();
      const bool woken = testsupport::waitUntil([&returned] { return returned.load(); });
      if (c.refused) synthetic::refuseUserEvents(false);  // lets a wait still asleep go
      return slept && woken;
    });
    EXPECT_TRUE(WaitMessage());
    returned.store(true);
    EXPECT_TRUE(waker.get()) << "WaitMessage never slept, or slept on after " << c.posted;
    EXPECT_EQ(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) ? message.message : 0u, c.posted);
  }
  EXPECT_EQ(std::count_if(received.begin(), received.end(), [](const MSG& m) { return m.message == WM_ACTIVATE; }), 1);
}

constexpr LPARAM pressed = 0x00000001, repeated = 0x40000001, released = 0xC0000001;

TEST_F(WindowLayer, KeysArriveAsKeyMessagesWithWindowsCodes) {
  synthetic::pushKey(window, "Left", true);
  synthetic::pushKey(window, "Left", true, synthetic::none, true);
  synthetic::pushKey(window, "Left", false);
  std::vector<std::vector<LPARAM>> expected = {{WM_KEYDOWN, VK_LEFT, pressed}, {WM_KEYDOWN, VK_LEFT, repeated},
                                               {WM_KEYUP, VK_LEFT, released}};
  const std::pair<const char*, WPARAM> keys[] = {{"Space", VK_SPACE},  {"Escape", VK_ESCAPE}, {"A", 'A'},
                                                 {"1", '1'},           {"Keypad Enter", VK_RETURN}, {"F5", VK_F5},
                                                 {"Right Ctrl", VK_CONTROL}, {"Keypad 4", VK_NUMPAD4}, {"Up", VK_UP},
                                                 {"Right", VK_RIGHT},  {"Down", VK_DOWN}};
  for (const auto& [name, code] : keys) {
    ASSERT_TRUE(synthetic::pushKey(window, name, true)) << name;
    expected.push_back({WM_KEYDOWN, static_cast<LPARAM>(code), pressed});
  }
  synthetic::pushKey(window, "AudioPlay", true);  // no Windows code: nothing
  synthetic::pushKey(window, "Left", true, synthetic::alt);
  expected.push_back({WM_SYSKEYDOWN, VK_LEFT, 0x20000001});  // with Alt: a system key
  synthetic::pushKey(window, "Left", true, synthetic::alt | synthetic::control);
  expected.push_back({WM_KEYDOWN, VK_LEFT, pressed});  // AltGr-like: a plain key
  std::vector<std::vector<LPARAM>> posted;
  for (const MSG& m : testsupport::takeMessages()) {
    posted.push_back({static_cast<LPARAM>(m.message), static_cast<LPARAM>(m.wParam), m.lParam, m.hwnd == window});
  }
  for (auto& e : expected) e.push_back(1);  // all to the window
  EXPECT_EQ(posted, expected);
}

TEST_F(WindowLayer, TheCloseButtonAltF4AndTheTerminationRequestCloseWindows) {
  ShowWindow(window, SW_SHOW);
  received.clear();
  synthetic::pushWindowEvent(window, WindowEvent::close);
  testsupport::pumpMessages();
  EXPECT_FALSE(IsWindow(window));
  std::vector<UINT> order;
  for (const MSG& r : received) order.push_back(r.message);
  EXPECT_EQ(order, (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_ACTIVATE, WM_DESTROY, WM_NCDESTROY}));

  window = make();
  synthetic::pushKey(window, "F4", true, synthetic::alt);
  testsupport::pumpMessages();
  EXPECT_FALSE(IsWindow(window));

  const HWND first = make(), second = make();
  synthetic::pushQuit();
  const auto closes = testsupport::takeMessages();
  ASSERT_EQ(closes.size(), 2u);
  EXPECT_TRUE(closes[0].message == WM_CLOSE && closes[1].message == WM_CLOSE);
  EXPECT_TRUE(closes[0].hwnd == first ? closes[1].hwnd == second : closes[0].hwnd == second && closes[1].hwnd == first);
}

// KESTRIX_WINDOW on a work area 768 high: a scale that fits, the largest that does, or none.
TEST(DevelopmentWindow, ASettingBecomesAScaleThatFitsOrFullScreen) {
  const std::tuple<const char*, int, int, bool> cases[] = {  // setting, screen width, scale, complaint
      {nullptr, 1024, 0, false}, {"", 1024, 0, false}, {"2", 1024, 2, false}, {"3", 1024, 3, false},
      {"4", 1024, 3, true},      {"99999999999", 1024, 3, true}, {"0", 1024, 0, true}, {"-2", 1024, 0, true},
      {"2x", 1024, 0, true},     {"1", 300, 0, true}, {"2\x1b[2J", 1024, 0, true}};
  for (const auto& [setting, screenWidth, scale, complains] : cases) {
    std::string complaint;
    EXPECT_EQ(platform::windowScaleFor(setting, screenWidth, 768, complaint), scale) << (setting ? setting : "unset");
    EXPECT_EQ(!complaint.empty(), complains) << complaint;
    EXPECT_TRUE(std::none_of(complaint.begin(), complaint.end(), [](char c) { return c < 0x20; })) << complaint;
  }
}

}  // namespace
