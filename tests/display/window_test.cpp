// The display object's window, its window procedure and fatalError, on SDL's dummy video driver.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "audio/audio_clip.h"
#include "display/display.h"
#include "display/fatal_error.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "platform/bass_record/bass_record.h"
#include "platform/testing/synthetic_events.h"
#include "platform/win32/window_internal.h"
#include "tests/support/headless_video.h"
#include "tests/support/message_pump.h"

namespace {

using synthetic::WindowEvent;

// Never destroyed (their destructor gives back display objects never made here); reachable.
DisplayContext& newContext(const std::string& name) {
  static auto* const contexts = new std::vector<DisplayContext*>;
  return *contexts->emplace_back(new DisplayContext(name.c_str()));
}

int keysDown() {
  int down = 0;
  for (const auto& entry : keyTable) down += entry.load() != 0 ? 1 : 0;
  return down;
}

class WindowProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    static int count = 0;
    bassrecord::reset();
    displaySettings.active = 1;
    setKeyEntry(VK_LEFT, 1);
    DisplayContext& context = newContext("Kestrix window test " + std::to_string(++count));
    EXPECT_EQ(displaySettings.active, 0) << "a new display object starts inactive";
    context.createWindow(GetModuleHandleA(nullptr));
    window = context.window;
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(keysDown(), 0) << "a new window starts with no key down";
    testsupport::takeMessages();
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    testsupport::takeMessages();
    delete musicClip;
    musicClip = nullptr;
    clearKeyTable();
    bassrecord::reset();
  }

  LRESULT send(UINT message, WPARAM wParam, LPARAM lParam = 0) { return windowProc(window, message, wParam, lParam); }

  HWND window = nullptr;
};

TEST_F(WindowProcedure, KeysOtherThanEscapeAreOneFromKeyDownToKeyUpAndTheCursorIsHidden) {
  for (WPARAM code = 0; code < 256; ++code) {
    if (code == VK_ESCAPE) continue;
    EXPECT_EQ(send(WM_KEYDOWN, code), 0);
    EXPECT_EQ(send(WM_KEYDOWN, code, 0x40000001), 0);  // auto-repeat
    EXPECT_TRUE(isKeyDown(static_cast<int>(code)) && keysDown() == 1) << code;
    EXPECT_EQ(send(WM_KEYUP, code, static_cast<LPARAM>(0xC0000001)), 0);
    EXPECT_EQ(keysDown(), 0) << code;
  }
  for (WPARAM code : {WPARAM{256}, WPARAM{256 + VK_ESCAPE}, ~WPARAM{0}}) send(WM_KEYDOWN, code);
  send(WM_SYSKEYDOWN, VK_LEFT, 0x20000001);  // with Alt held: not for the game
  EXPECT_EQ(keysDown(), 0);
  setKeyEntry(VK_RIGHT, 1);
  send(WM_SYSKEYUP, VK_RIGHT, static_cast<LPARAM>(0xE0000001));
  EXPECT_TRUE(isKeyDown(VK_RIGHT));
  EXPECT_TRUE(testsupport::takeMessages().empty()) << "256 + Escape is not Escape";

  SetCursor(LoadCursorA(nullptr, IDC_ARROW));  // and the cursor is hidden over the window
  EXPECT_EQ(send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), nullptr);
  displaySettings.showPointer = 1;  // unless the program asks for it: the class cursor
  send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  displaySettings.showPointer = 0;
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

std::vector<std::vector<LPARAM>> hooked;  // what the program's hook saw: message, wParam, lParam

bool recordingHook(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message != WM_ACTIVATE) hooked.push_back({static_cast<LPARAM>(message), static_cast<LPARAM>(wParam), lParam});
  *result = 0;
  return message == WM_KEYDOWN && wParam == VK_ESCAPE;  // Escape is the program's
}

// A hook sees every message first and keeps what it handles; typed text (Latin-1 only, under Alt WM_SYSCHAR)
// and size changes (a full-screen picture's) reach it; TranslateMessage adds only control characters.
TEST_F(WindowProcedure, AProgramsHookSeesEveryMessageFirstAndKeepsWhatItHandles) {
  ShowWindow(window, SW_SHOW);
  messageHook = recordingHook;
  hooked.clear();
  synthetic::pushKey(window, "Escape", true);
  synthetic::pushKey(window, "Left", true);
  synthetic::pushText(window, "a\xC3\xA9\xE2\x82\xAC\x80\xC3");  // a, é, €, a stray byte, a cut é
  synthetic::pushResize(window, 640, 480);
  testsupport::pumpMessages();
  platform::setShownPicture(window, {800, 600, platform::Placement::keepingAspect});  // a full-screen device's
  synthetic::pushResize(window, 1024, 768);
  synthetic::holdModifiers(synthetic::alt);
  synthetic::pushText(window, "x");
  testsupport::pumpMessages();
  for (const auto& [vk, modifiers] :
       {std::pair<WPARAM, unsigned>{'A', 0}, {VK_SPACE, 0}, {'A', synthetic::control}, {VK_RETURN, 0}}) {
    synthetic::holdModifiers(modifiers);
    const MSG down{window, WM_KEYDOWN, vk, 1, 0, {}};
    TranslateMessage(&down);
  }
  testsupport::pumpMessages();
  messageHook = nullptr;
  EXPECT_TRUE(IsWindow(window) && isKeyDown(VK_LEFT));
  EXPECT_EQ(hooked, (std::vector<std::vector<LPARAM>>{
                        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)}, {WM_KEYDOWN, VK_ESCAPE, 1},
                        {WM_KEYDOWN, VK_LEFT, 1}, {WM_CHAR, 'a', 1}, {WM_CHAR, 0xE9, 1},
                        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 600)}, {WM_SYSCHAR, 'x', 1},
                        {WM_CHAR, 1, 1}, {WM_CHAR, '\r', 1}}));
}

// The pointer in a shown 1024×768 window: the message posted (Windows' layout) and the frame
// pixel made of it, through Direct3D's device (800×600, or 640×480 for a 400×300 frame; its
// quad overfills it by 0.6 %), DirectDraw's 320×240 mode at 3 (960×720 from 32,24), or none.
TEST_F(WindowProcedure, MouseMessagesCarryWindowsLayoutsAndReachTheFramePixelUnderThePointer) {
  enum Shown { none, direct3D, directDraw, direct3DLargerFrame };
  struct Case {
    int event;  // 0 a move; SDL's button (1 left, 2 middle, 3 right), negative when released; 10 + notches
    int x, y;   // in the window
    Shown shown; UINT message; WPARAM wParam; LPARAM lParam;  // wParam's MK_SHIFT and MK_CONTROL are held
    MouseState state;
  };
  const Case cases[] = {
      {0, 321, 160, direct3D, WM_MOUSEMOVE, 0, MAKELPARAM(251, 125), {100, 50, 0, 0}},
      {1, 321, 160, direct3D, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(251, 125), {100, 50, 1, 0}},
      {3, 1023, 767, direct3D, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_CONTROL, MAKELPARAM(799, 599),
       {318, 238, 3, 0}},
      {-1, 321, 160, direct3DLargerFrame, WM_LBUTTONUP, MK_RBUTTON, MAKELPARAM(200, 100), {125, 63, 2, 0}},
      {2, 31, 23, directDraw, WM_MBUTTONDOWN, MK_RBUTTON | MK_MBUTTON, MAKELPARAM(0, 0), {0, 0, 6, 0}},
      {-3, 334, 176, directDraw, WM_RBUTTONUP, MK_MBUTTON, MAKELPARAM(100, 50), {100, 50, 4, 0}},
      {-2, 1000, 760, directDraw, WM_MBUTTONUP, 0, MAKELPARAM(319, 239), {319, 239, 0, 0}},
      {12, 500, 400, directDraw, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(156, 125), {319, 239, 0, 2}},
      {9, 500, 400, none, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -120), MAKELPARAM(500, 400), {319, 239, 0, -1}},
      {0, -5, 3, none, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 3), {0, 3, 0, 0}},
  };
  messageHook = recordingHook;
  hooked.clear();
  synthetic::pushMouseMotion(window, 3, 4);
  testsupport::pumpMessages();
  EXPECT_TRUE(hooked.empty()) << "a hidden window is not under the pointer";
  ShowWindow(window, SW_SHOW);
  RECT area{};
  ASSERT_TRUE(GetWindowRect(window, &area) && area.right - area.left == 1024 && area.bottom - area.top == 768);
  const std::vector<LPARAM> cursorAsked{WM_SETCURSOR, reinterpret_cast<LPARAM>(window),
                                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)};
  for (const Case& c : cases) {
    const bool device = c.shown == direct3D || c.shown == direct3DLargerFrame, larger = c.shown == direct3DLargerFrame;
    const int deviceWidth = larger ? 640 : device ? 800 : 0, deviceHeight = deviceWidth * 3 / 4;
    const int shownWidth = device ? deviceWidth : c.shown == directDraw ? 320 : 0;
    platform::setShownPicture(window, {shownWidth, shownWidth * 3 / 4,
                                       device ? platform::Placement::keepingAspect : platform::Placement::wholeFactor});
    displaySettings = DisplaySettings{.frameWidth = larger ? 400 : 320, .frameHeight = larger ? 300 : 240,
                                      .backend = c.shown == directDraw ? backendDirectDraw : backendDirect3D,
                                      .deviceWidth = deviceWidth, .deviceHeight = deviceHeight};
    synthetic::holdModifiers(((c.wParam & MK_SHIFT) != 0 ? synthetic::shift : synthetic::none) |
                             ((c.wParam & MK_CONTROL) != 0 ? synthetic::control : synthetic::none));
    const int button = std::abs(c.event);
    if (button == 0) synthetic::pushMouseMotion(window, c.x, c.y);
    if (button != 0 && button <= 3) synthetic::pushMouseButton(window, button, c.event > 0, c.x, c.y);
    if (button > 3) synthetic::pushWheel(window, c.event - 10, c.x, c.y, c.event < 10);  // back: flipped
    hooked.clear();
    testsupport::pumpMessages();
    const std::vector<LPARAM> expected{c.message, static_cast<LPARAM>(c.wParam), c.lParam};
    EXPECT_NE(std::find(hooked.begin(), hooked.end(), expected), hooked.end()) << c.message << " " << c.x;
    EXPECT_EQ(std::count(hooked.begin(), hooked.end(), cursorAsked), button == 0 ? 1 : 0) << c.x;
    const MouseState state = readMouse();
    EXPECT_EQ(std::tuple(state.x, state.y, state.buttons, state.wheel),
              std::tuple(c.state.x, c.state.y, c.state.buttons, c.state.wheel)) << c.message << " " << c.x;
  }
  messageHook = nullptr;
  synthetic::holdModifiers(synthetic::none);
  displaySettings = DisplaySettings{};
}

TEST_F(WindowProcedure, EscapeEndsTheLoopWithZeroAfterTheMusicStops) {
  musicClip = new AudioClip{};
  synthetic::pushKey(window, "Escape", true);
  EXPECT_EQ(testsupport::runMessageLoop(), WPARAM{0});
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(musicClip, nullptr);
  EXPECT_TRUE(bassrecord::count(bassrecord::Function::Stop) == 1 && bassrecord::count(bassrecord::Function::Free) == 1);
  EXPECT_FALSE(isKeyDown(VK_ESCAPE));
  EXPECT_EQ(send(WM_DESTROY, 0), 0);  // again, with the music gone: nothing is freed twice
  EXPECT_EQ(bassrecord::count(bassrecord::Function::Free), 1u);
}

// Only minimising stops the drawing; a take-over by the display set-up restores the window.
TEST_F(WindowProcedure, OnlyMinimisingMakesTheGameInactive) {
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(displaySettings.active, 1);
  struct Step { WindowEvent event; int active; };
  for (const Step& s : {Step{WindowEvent::focusLost, 1}, Step{WindowEvent::minimized, 0},
                        Step{WindowEvent::minimized, 0}, Step{WindowEvent::restored, 1},
                        Step{WindowEvent::focusGained, 1}}) {
    ASSERT_TRUE(synthetic::pushWindowEvent(window, s.event));
    testsupport::pumpMessages();
    EXPECT_EQ(displaySettings.active, s.active) << static_cast<int>(s.event);
  }
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_EQ(displaySettings.active, 0);
  platform::activateWindow(window);
  EXPECT_EQ(displaySettings.active, 1);
}

TEST(FatalErrorDeathTest, ShowsTheFormattedMessageCutToFitThenExitsWithOneAsTheWindowsFailuresDo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(fatalError("No encuentro el fichero \"%s\" (%d)", "fondo.pcx", 3), ::testing::ExitedWithCode(1),
              "^Error: No encuentro el fichero \"fondo.pcx\" \\(3\\)\n$");
  EXPECT_EXIT(fatalError("%s", ""), ::testing::ExitedWithCode(1), "^Error: \n$");
  const std::string fits(1023, 'a');
  EXPECT_EXIT(fatalError("%s", fits.c_str()), ::testing::ExitedWithCode(1), "^Error: a{1023}\n$");
  EXPECT_EXIT(fatalError("%s!", fits.c_str()), ::testing::ExitedWithCode(1), "^Error: a{1023}\n$");
  // The window's own failure (no display: the box-and-signal test).
  EXPECT_EXIT((newContext("Kestrix twice").createWindow(nullptr), newContext("Kestrix twice").createWindow(nullptr)),
              ::testing::ExitedWithCode(1), "^Error: ERROR: al registrar la clase ventana\n$");
}

}  // namespace
