// What the window system's events become: key messages with Windows codes, and the
// messages sent for activation, minimising, restoring, closing and the pointer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "platform/testing/synthetic_events.h"
#include "platform/win32/window_internal.h"
#include "tests/platform/recording_window.h"

namespace {

using synthetic::WindowEvent;
using testwindow::received;
using testwindow::receivedOf;

constexpr UINT listenerMarker = WM_APP + 100;  // recorded by the listener, wParam the change

class WindowMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    window = testwindow::make();
    ASSERT_NE(window, nullptr);
    ASSERT_STREQ(synthetic::videoDriver(), "dummy");
    received().clear();
    listener = platform::addWindowListener([](HWND w, platform::WindowChange change) {
      received().push_back({w, listenerMarker, static_cast<WPARAM>(change), platform::sdlWindowOf(w) != nullptr});
    });
  }
  void TearDown() override {
    platform::removeWindowListener(listener);
    testwindow::cleanUp();
  }

  // Pumps the events pushed so far and returns the messages they posted.
  static std::vector<MSG> pump() { return testwindow::drain(); }

  HWND window = nullptr;
  int listener = 0;
};

struct ExpectedKey {
  UINT message;
  WPARAM code;
  LPARAM lParam;
};

void expectKeys(const std::vector<MSG>& got, const std::vector<ExpectedKey>& expected, HWND window) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].hwnd, window) << i;
    EXPECT_EQ(got[i].message, expected[i].message) << i;
    EXPECT_EQ(got[i].wParam, expected[i].code) << i;
    EXPECT_EQ(got[i].lParam, expected[i].lParam) << i;
  }
}

constexpr LPARAM pressed = 0x00000001;
constexpr LPARAM repeated = 0x40000001;
constexpr LPARAM released = 0xC0000001;
constexpr LPARAM altPressed = 0x20000001;
constexpr LPARAM altReleased = 0xE0000001;

TEST_F(WindowMessages, KeysArriveAsKeyMessagesWithWindowsCodes) {
  synthetic::pushKey(window, "Left", true);
  synthetic::pushKey(window, "Left", true, synthetic::none, true);
  synthetic::pushKey(window, "Left", false);
  for (const char* name : {"A", "1", "Space", "Escape", "Return", "Keypad Enter", "Left Shift", "Right Ctrl", "F5",
                           "Keypad 4", "Up", "Right", "Down"}) {
    ASSERT_TRUE(synthetic::pushKey(window, name, true)) << name;
  }
  expectKeys(pump(),
             {{WM_KEYDOWN, VK_LEFT, pressed},
              {WM_KEYDOWN, VK_LEFT, repeated},
              {WM_KEYUP, VK_LEFT, released},
              {WM_KEYDOWN, 'A', pressed},
              {WM_KEYDOWN, '1', pressed},
              {WM_KEYDOWN, VK_SPACE, pressed},
              {WM_KEYDOWN, VK_ESCAPE, pressed},
              {WM_KEYDOWN, VK_RETURN, pressed},
              {WM_KEYDOWN, VK_RETURN, pressed},
              {WM_KEYDOWN, VK_SHIFT, pressed},
              {WM_KEYDOWN, VK_CONTROL, pressed},
              {WM_KEYDOWN, VK_F5, pressed},
              {WM_KEYDOWN, VK_NUMPAD4, pressed},
              {WM_KEYDOWN, VK_UP, pressed},
              {WM_KEYDOWN, VK_RIGHT, pressed},
              {WM_KEYDOWN, VK_DOWN, pressed}},
             window);
  // Keys Windows has no code for here post nothing.
  synthetic::pushKey(window, "AudioPlay", true);
  EXPECT_TRUE(pump().empty());
}

TEST_F(WindowMessages, AltMakesSystemKeys) {
  synthetic::pushKey(window, "Left Alt", true, synthetic::alt);
  synthetic::pushKey(window, "Left", true, synthetic::alt);
  synthetic::pushKey(window, "Left", false, synthetic::alt);
  synthetic::pushKey(window, "Left Alt", false);  // another key went down meanwhile
  synthetic::pushKey(window, "Left Alt", true, synthetic::alt);
  synthetic::pushKey(window, "Left Alt", false);  // alone this time
  synthetic::pushKey(window, "F10", true);
  synthetic::pushKey(window, "Left", true, synthetic::alt | synthetic::control);  // AltGr-like: a plain key
  expectKeys(pump(),
             {{WM_SYSKEYDOWN, VK_MENU, altPressed},
              {WM_SYSKEYDOWN, VK_LEFT, altPressed},
              {WM_SYSKEYUP, VK_LEFT, altReleased},
              {WM_KEYUP, VK_MENU, released},
              {WM_SYSKEYDOWN, VK_MENU, altPressed},
              {WM_SYSKEYUP, VK_MENU, released},
              {WM_SYSKEYDOWN, VK_F10, pressed},
              {WM_KEYDOWN, VK_LEFT, pressed}},
             window);
}

TEST_F(WindowMessages, KeysOutsideAnyWindowGoToTheActiveOne) {
  synthetic::pushKey(nullptr, "Up", true);
  EXPECT_TRUE(pump().empty());  // no window is active yet

  ShowWindow(window, SW_SHOW);
  synthetic::pushKey(nullptr, "Up", true);
  expectKeys(pump(), {{WM_KEYDOWN, VK_UP, pressed}}, window);
}

TEST_F(WindowMessages, TranslateMessagePostsTheCharacterOfAKey) {
  const MSG letter{window, WM_KEYDOWN, 'Q', pressed, 0, {}};
  EXPECT_TRUE(TranslateMessage(&letter));
  const MSG enter{window, WM_SYSKEYDOWN, VK_RETURN, altPressed, 0, {}};
  EXPECT_TRUE(TranslateMessage(&enter));
  const MSG arrow{window, WM_KEYDOWN, VK_LEFT, pressed, 0, {}};
  EXPECT_FALSE(TranslateMessage(&arrow));
  const MSG release{window, WM_KEYUP, 'Q', released, 0, {}};
  EXPECT_FALSE(TranslateMessage(&release));
  expectKeys(pump(), {{WM_CHAR, 'q', pressed}, {WM_SYSCHAR, '\r', altPressed}}, window);
}

TEST_F(WindowMessages, ShowingActivatesOnceAndHidingDeactivates) {
  EXPECT_FALSE(ShowWindow(window, SW_SHOW));  // it was hidden
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetForegroundWindow(), window);
  synthetic::pushWindowEvent(window, WindowEvent::focusGained);  // the window system agrees later
  pump();
  auto activations = receivedOf(WM_ACTIVATE);
  ASSERT_EQ(activations.size(), 1u);
  EXPECT_EQ(activations[0].wParam, MAKEWPARAM(WA_ACTIVE, 0));

  const HWND other = testwindow::make();
  received().clear();
  EXPECT_FALSE(ShowWindow(other, SW_SHOWNORMAL));
  activations = receivedOf(WM_ACTIVATE);
  ASSERT_EQ(activations.size(), 2u);
  EXPECT_EQ(activations[0].hwnd, window);
  EXPECT_EQ(activations[0].wParam, MAKEWPARAM(WA_INACTIVE, 0));
  EXPECT_EQ(activations[0].lParam, reinterpret_cast<LPARAM>(other));
  EXPECT_EQ(activations[1].hwnd, other);
  EXPECT_EQ(activations[1].wParam, MAKEWPARAM(WA_ACTIVE, 0));
  EXPECT_EQ(activations[1].lParam, reinterpret_cast<LPARAM>(window));

  received().clear();
  EXPECT_TRUE(ShowWindow(other, SW_HIDE));
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  synthetic::pushWindowEvent(other, WindowEvent::focusGained);  // late news of a hidden window
  pump();
  activations = receivedOf(WM_ACTIVATE);
  ASSERT_EQ(activations.size(), 1u);
  EXPECT_EQ(activations[0].wParam, MAKEWPARAM(WA_INACTIVE, 0));

  // Showing without activation sends nothing.
  received().clear();
  ShowWindow(other, SW_SHOWNA);
  EXPECT_TRUE(receivedOf(WM_ACTIVATE).empty());
}

// The listener's marker and the WM_ACTIVATE messages, in the order they came.
std::vector<std::pair<UINT, WPARAM>> activationTrail() {
  std::vector<std::pair<UINT, WPARAM>> trail;
  for (const auto& r : received()) {
    if (r.message == WM_ACTIVATE || r.message == listenerMarker) trail.emplace_back(r.message, r.wParam);
  }
  return trail;
}

TEST_F(WindowMessages, MinimisingAndRestoringSendTheMinimisedState) {
  using Change = platform::WindowChange;
  const auto minimized = static_cast<WPARAM>(Change::minimized);
  const auto restored = static_cast<WPARAM>(Change::restored);

  ShowWindow(window, SW_SHOW);
  received().clear();
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(window));
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  synthetic::pushWindowEvent(window, WindowEvent::minimized);  // the window system's echo
  pump();
  ShowWindow(window, SW_RESTORE);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_EQ(GetForegroundWindow(), window);
  const std::vector<std::pair<UINT, WPARAM>> byProgram = {{listenerMarker, minimized},
                                                          {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)},
                                                          {listenerMarker, restored},
                                                          {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0)}};
  EXPECT_EQ(activationTrail(), byProgram);

  // The same from the window system, with a duplicate of each.
  received().clear();
  synthetic::pushWindowEvent(window, WindowEvent::minimized);
  synthetic::pushWindowEvent(window, WindowEvent::minimized);
  synthetic::pushWindowEvent(window, WindowEvent::restored);
  synthetic::pushWindowEvent(window, WindowEvent::restored);
  synthetic::pushWindowEvent(window, WindowEvent::focusGained);
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));  // all sent inside this call
  EXPECT_EQ(activationTrail(), byProgram);

  // Losing the focus without being minimised keeps the high word 0.
  received().clear();
  synthetic::pushWindowEvent(window, WindowEvent::focusLost);
  pump();
  EXPECT_EQ(activationTrail(), (std::vector<std::pair<UINT, WPARAM>>{{WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0)}}));

  // Taken over by the display layer while minimised: restored and active again.
  ShowWindow(window, SW_MINIMIZE);
  received().clear();
  platform::activateWindow(window);
  EXPECT_EQ(activationTrail(), (std::vector<std::pair<UINT, WPARAM>>{{listenerMarker, restored},
                                                                     {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0)}}));
}

TEST_F(WindowMessages, TheCloseButtonDestroysTheWindowThroughTheDefaultHandling) {
  ShowWindow(window, SW_SHOW);
  received().clear();
  synthetic::pushWindowEvent(window, WindowEvent::close);
  pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(platform::sdlWindowOf(window), nullptr);
  std::vector<UINT> order;
  for (const auto& r : received()) order.push_back(r.message);
  EXPECT_EQ(order, (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_ACTIVATE, listenerMarker, WM_DESTROY,
                                      WM_NCDESTROY}));
  EXPECT_EQ(received()[0].wParam, WPARAM{SC_CLOSE});
  EXPECT_EQ(received()[2].wParam, MAKEWPARAM(WA_INACTIVE, 0));
  EXPECT_EQ(received()[3].wParam, static_cast<WPARAM>(platform::WindowChange::destroying));
  EXPECT_EQ(received()[3].lParam, 1);  // the SDL window still existed for the listener
}

TEST_F(WindowMessages, AltF4ClosesTheWindow) {
  synthetic::pushKey(window, "F4", true, synthetic::alt);
  for (const MSG& message : pump()) DispatchMessageA(&message);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowMessages, TheTerminationRequestAsksEveryWindowToClose) {
  const HWND other = testwindow::make();
  synthetic::pushQuit();
  const auto posted = pump();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, UINT{WM_CLOSE});
  EXPECT_EQ(posted[1].message, UINT{WM_CLOSE});
  EXPECT_NE(posted[0].hwnd, posted[1].hwnd);
  EXPECT_TRUE(posted[0].hwnd == other || posted[1].hwnd == other);
}

TEST_F(WindowMessages, ThePointerOverAVisibleWindowAsksForTheCursor) {
  synthetic::pushMouseMotion(window, 3, 4);
  pump();
  EXPECT_TRUE(receivedOf(WM_SETCURSOR).empty());  // hidden windows are not under the pointer

  ShowWindow(window, SW_SHOW);
  SetCursor(nullptr);
  synthetic::pushMouseMotion(window, 3, 4);
  synthetic::pushWindowEvent(window, WindowEvent::enter);
  pump();
  const auto asked = receivedOf(WM_SETCURSOR);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].wParam, reinterpret_cast<WPARAM>(window));
  EXPECT_EQ(asked[0].lParam, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));  // the default handling: the class cursor
}

TEST(WindowClasses, RegistrationAndCreationFailAsOnWindows) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "Kestrix class test";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  windowClass.lpszClassName = "KESTRIX CLASS TEST";
  EXPECT_EQ(RegisterClassA(&windowClass), 0);  // names ignore case
  windowClass.lpszClassName = "Kestrix class without procedure";
  windowClass.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassA(&windowClass), 0);

  EXPECT_EQ(CreateWindowExA(0, "Kestrix no such class", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  const HWND window = CreateWindowExA(0, "Kestrix class test", "A title", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                      200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, 0);  // CW_USEDEFAULT places a pop-up at the origin
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 200);
  EXPECT_EQ(rect.bottom, 100);
  char title[4];
  EXPECT_EQ(GetWindowTextA(window, title, sizeof title), 3);
  EXPECT_STREQ(title, "A t");

  EXPECT_FALSE(UnregisterClassA("Kestrix class test", nullptr));  // a window still uses it
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassA("Kestrix class test", nullptr));
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
}

}  // namespace
