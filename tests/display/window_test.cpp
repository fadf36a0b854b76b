// The display object's window: construction, window creation, and the window procedure
// message by message, over SDL's dummy video driver.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audio_clip.h"
#include "display/display.h"
#include "display/keyboard.h"
#include "platform/bass_record/bass_record.h"
#include "platform/testing/synthetic_events.h"
#include "tests/support/headless_video.h"

namespace {

// Display objects are never destroyed here: their destructor gives back display objects
// that these tests never make. Kept reachable to the end, so leak checkers pass them over.
auto* const contexts = new std::vector<DisplayContext*>;

DisplayContext& newContext(const std::string& name) {
  contexts->push_back(new DisplayContext(name.c_str()));
  return *contexts->back();
}

// A window made by createWindow, under a class name of its own.
DisplayContext& newWindow() {
  static int count = 0;
  DisplayContext& context = newContext("Kestrix window test " + std::to_string(++count));
  context.createWindow(GetModuleHandleA(nullptr));
  return context;
}

std::vector<MSG> takeMessages() {
  std::vector<MSG> messages;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) messages.push_back(message);
  return messages;
}

int keysDown() {
  int down = 0;
  for (const auto& entry : keyTable) down += entry.load() != 0 ? 1 : 0;
  return down;
}

std::vector<std::string> callNames() {
  std::vector<std::string> names;
  for (const auto& call : bassrecord::calls()) names.push_back(call.name);
  return names;
}

class WindowProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    bassrecord::reset();
    bassrecord::setLogging(true);
    window = newWindow().window;
    ASSERT_NE(window, nullptr);
    takeMessages();
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    takeMessages();
    delete musicClip;
    musicClip = nullptr;
    clearKeyTable();
    bassrecord::reset();
  }

  LRESULT send(UINT message, WPARAM wParam, LPARAM lParam = 0) { return windowProc(window, message, wParam, lParam); }

  HWND window = nullptr;
};

TEST_F(WindowProcedure, EveryKeyButEscapeIsOneFromItsKeyDownToItsKeyUp) {
  for (WPARAM code = 0; code < 256; ++code) {
    if (code == VK_ESCAPE) continue;
    EXPECT_EQ(send(WM_KEYDOWN, code), 0);
    EXPECT_EQ(keyTable[code].load(), 1) << code;
    EXPECT_EQ(send(WM_KEYDOWN, code, 0x40000001), 0);  // auto-repeat
    EXPECT_EQ(keyTable[code].load(), 1) << code;
    EXPECT_EQ(keysDown(), 1) << code;  // no other entry moved
    EXPECT_EQ(send(WM_KEYUP, code, static_cast<LPARAM>(0xC0000001)), 0);
    EXPECT_EQ(keyTable[code].load(), 0) << code;
  }
  EXPECT_TRUE(takeMessages().empty());
}

TEST_F(WindowProcedure, EscapePostsACloseRequestAndLeavesTheTable) {
  EXPECT_EQ(send(WM_KEYDOWN, VK_ESCAPE), 0);
  EXPECT_EQ(keysDown(), 0);
  EXPECT_TRUE(IsWindow(window));  // only requested
  const auto posted = takeMessages();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].hwnd, window);
  EXPECT_EQ(posted[0].message, UINT{WM_CLOSE});
  EXPECT_EQ(posted[0].wParam, WPARAM{0});
  EXPECT_EQ(posted[0].lParam, LPARAM{0});

  setKeyEntry(VK_ESCAPE, 1);
  EXPECT_EQ(send(WM_KEYUP, VK_ESCAPE), 0);  // its key-up stores 0 like any other
  EXPECT_EQ(keyTable[VK_ESCAPE].load(), 0);
}

TEST_F(WindowProcedure, CodesOutsideTheTableNeverIndexIt) {
  for (WPARAM code : {WPARAM{256}, WPARAM{256 + VK_ESCAPE}, WPARAM{256 + VK_LEFT}, WPARAM{0xFFFF}, ~WPARAM{0}}) {
    EXPECT_EQ(send(WM_KEYDOWN, code), 0);
    EXPECT_EQ(send(WM_KEYUP, code), 0);
  }
  EXPECT_EQ(keysDown(), 0);
  EXPECT_TRUE(takeMessages().empty());  // 256 + Escape is not Escape
}

TEST_F(WindowProcedure, KeysWithAltHeldLeaveTheTable) {
  EXPECT_EQ(send(WM_SYSKEYDOWN, VK_LEFT, 0x20000001), 0);
  EXPECT_EQ(send(WM_SYSKEYDOWN, VK_MENU, 0x20000001), 0);
  EXPECT_EQ(keysDown(), 0);
  setKeyEntry(VK_RIGHT, 1);
  EXPECT_EQ(send(WM_SYSKEYUP, VK_RIGHT, static_cast<LPARAM>(0xE0000001)), 0);
  EXPECT_EQ(keyTable[VK_RIGHT].load(), 1);
}

TEST_F(WindowProcedure, ActivationFollowsTheMinimisedStateOnly) {
  struct Case {
    WPARAM wParam;
    int active;
  };
  for (const Case& c : {Case{WA_INACTIVE, 1}, Case{WA_ACTIVE, 1}, Case{WA_CLICKACTIVE, 1},
                        Case{MAKEWPARAM(WA_INACTIVE, 1), 0}, Case{MAKEWPARAM(WA_ACTIVE, 1), 0},
                        Case{MAKEWPARAM(WA_ACTIVE, 0xFFFF), 0}}) {
    displaySettings.active = 1 - c.active;
    EXPECT_EQ(send(WM_ACTIVATE, c.wParam), 0);
    EXPECT_EQ(displaySettings.active, c.active) << std::hex << c.wParam;
  }
}

TEST_F(WindowProcedure, TheCursorIsHiddenOverTheWindow) {
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(WindowProcedure, DestroyStopsAndFreesTheAudioThenPostsQuitZero) {
  musicClip = new AudioClip{};
  EXPECT_EQ(send(WM_DESTROY, 0), 0);
  EXPECT_EQ(callNames(), (std::vector<std::string>{"BASS_Stop", "BASS_Free"}));
  EXPECT_EQ(musicClip, nullptr);
  auto posted = takeMessages();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, UINT{WM_QUIT});
  EXPECT_EQ(posted[0].wParam, WPARAM{0});

  // Again, with the music gone: the output is stopped, nothing is freed twice.
  bassrecord::reset();
  bassrecord::setLogging(true);
  EXPECT_EQ(send(WM_DESTROY, 0), 0);
  EXPECT_EQ(callNames(), (std::vector<std::string>{"BASS_Stop"}));
  posted = takeMessages();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, UINT{WM_QUIT});
}

// The program's loop (messages first, WaitMessage when idle) over real pumped key events.
WPARAM runMessageLoop() {
  MSG message{};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (GetMessageA(&message, nullptr, 0, 0) == 0) return message.wParam;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      WaitMessage();
    }
  }
}

TEST_F(WindowProcedure, PressingEscapeEndsTheLoopWithZeroAfterTheMusicStops) {
  musicClip = new AudioClip{};
  synthetic::pushKey(window, "Left", true);
  synthetic::pushKey(window, "Escape", true);
  EXPECT_EQ(runMessageLoop(), WPARAM{0});
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(musicClip, nullptr);
  EXPECT_EQ(callNames(), (std::vector<std::string>{"BASS_Stop", "BASS_Free"}));
  EXPECT_EQ(keyTable[VK_LEFT].load(), 1);  // Left is still held
  EXPECT_EQ(keyTable[VK_ESCAPE].load(), 0);
}

TEST(DisplayContextWindow, ConstructionClearsTheActiveFlagAndCopiesTheName) {
  displaySettings.active = 1;
  char name[] = "Kestrix construction";
  DisplayContext& context = newContext(name);
  EXPECT_EQ(displaySettings.active, 0);
  ASSERT_NE(context.windowName, nullptr);
  EXPECT_NE(context.windowName, name);
  name[0] = 'X';
  EXPECT_STREQ(context.windowName, "Kestrix construction");
  EXPECT_EQ(context.window, nullptr);
  EXPECT_EQ(context.directDraw, nullptr);
  EXPECT_EQ(context.primarySurface, nullptr);
  EXPECT_EQ(context.backBuffer, nullptr);
  EXPECT_EQ(context.offscreenSurface, nullptr);
  EXPECT_EQ(context.direct3D, nullptr);
  EXPECT_EQ(context.device, nullptr);
  EXPECT_EQ(context.vertexBuffer, nullptr);
  EXPECT_EQ(context.texture, nullptr);
}

TEST(DisplayContextWindow, CreateWindowMakesAHiddenTopmostPopUpAsLargeAsTheScreen) {
  setKeyEntry(VK_LEFT, 1);
  setKeyEntry(VK_SPACE, 1);
  DisplayContext& context = newContext("Kestrix window shape");
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  context.createWindow(instance);

  EXPECT_EQ(context.instance, instance);
  ASSERT_TRUE(IsWindow(context.window));
  EXPECT_FALSE(IsWindowVisible(context.window));
  EXPECT_NE(GetForegroundWindow(), context.window);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(context.window, GWL_STYLE)), DWORD{WS_POPUP});
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(context.window, GWL_EXSTYLE)), DWORD{WS_EX_TOPMOST});
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(context.window, &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  char title[64];
  GetWindowTextA(context.window, title, sizeof title);
  EXPECT_STREQ(title, "Kestrix window shape");

  WNDCLASSA windowClass{};
  ASSERT_TRUE(GetClassInfoA(instance, "Kestrix window shape", &windowClass));
  EXPECT_EQ(windowClass.style, UINT{CS_HREDRAW | CS_VREDRAW});
  EXPECT_EQ(windowClass.lpfnWndProc, &windowProc);
  EXPECT_EQ(windowClass.cbClsExtra, 0);
  EXPECT_EQ(windowClass.cbWndExtra, 0);
  EXPECT_EQ(windowClass.hInstance, instance);
  EXPECT_EQ(windowClass.hIcon, LoadIconA(instance, nullptr));
  EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_NE(windowClass.hCursor, nullptr);
  EXPECT_EQ(windowClass.hbrBackground, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(windowClass.lpszMenuName, nullptr);

  EXPECT_EQ(keysDown(), 0);
  DestroyWindow(context.window);
  takeMessages();
}

TEST(DisplayContextWindowDeathTest, AClassNameTakenEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        newContext("Kestrix twice").createWindow(nullptr);
        newContext("Kestrix twice").createWindow(nullptr);
      },
      ::testing::ExitedWithCode(1), "^Error: ERROR: al registrar la clase ventana\n$");
}

TEST(DisplayContextWindowDeathTest, NoDisplayEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        newContext("Kestrix without display").createWindow(nullptr);
      },
      ::testing::ExitedWithCode(1), "^Error: ERROR: no puedo crear la ventana\n$");
}

}  // namespace
