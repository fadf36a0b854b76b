// The display object's window and its window procedure, and fatalError (its message goes
// to a box captioned "Error" and to standard error), over SDL's dummy video driver.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
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

// Never destroyed: their destructor gives back display objects never made here. Reachable
// to the end, so leak checkers pass them over.
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

std::vector<MSG> hooked;  // what the program's hook saw

bool recordingHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  hooked.push_back(MSG{window, message, wParam, lParam, 0, {}});
  *result = 0;
  return message == WM_KEYDOWN && wParam == VK_ESCAPE;  // Escape is the program's
}

// A hook sees every message first and keeps what it handles: Escape closes nothing then,
// while the keys it leaves still reach the key table; typed text and size changes reach it.
TEST_F(WindowProcedure, AProgramsHookSeesEveryMessageFirstAndKeepsWhatItHandles) {
  ShowWindow(window, SW_SHOW);
  messageHook = recordingHook;
  hooked.clear();
  synthetic::pushKey(window, "Escape", true);
  synthetic::pushKey(window, "Left", true);
  synthetic::pushText(window, "\xC3\xA9");
  synthetic::pushResize(window, 640, 480);
  testsupport::pumpMessages();
  messageHook = nullptr;
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(isKeyDown(VK_LEFT));
  std::vector<std::vector<LPARAM>> seen;
  for (const MSG& m : hooked) {
    if (m.message != WM_ACTIVATE) seen.push_back({static_cast<LPARAM>(m.message), static_cast<LPARAM>(m.wParam), m.lParam});
  }
  // The size change is sent on the spot, before the posted messages come out of the queue.
  EXPECT_EQ(seen, (std::vector<std::vector<LPARAM>>{{WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)},
                                                    {WM_KEYDOWN, VK_ESCAPE, 1}, {WM_KEYDOWN, VK_LEFT, 1},
                                                    {WM_CHAR, 0xE9, 1}}));
}

// The pointer in a window of 1024×768, what the layer posts for it (Windows' layouts, seen
// by a hook) and the frame pixel the window procedure makes of it, through the picture each
// back-end shows: Direct3D's 800×600 device filling the window (a 320×240 frame, then a
// 400×300 one), DirectDraw's 320×240 mode at 3 (960×720 from 32,24), or none at all.
TEST_F(WindowProcedure, MouseMessagesCarryWindowsLayoutsAndReachTheFramePixelUnderThePointer) {
  enum Kind { move, press, release, wheel, flippedWheel };
  enum Shown { none, direct3D, directDraw, direct3DLargerFrame };
  struct Case {
    Kind kind;
    int button;  // SDL's (1 left, 2 middle, 3 right), or the wheel's notches
    int x, y;
    Shown shown;
    unsigned modifiers;
    UINT message;
    WPARAM wParam;
    int clientX, clientY;  // screen ones for the wheel
    MouseState state;
  };
  const Case cases[] = {
      {move, 0, 321, 160, direct3D, synthetic::none, WM_MOUSEMOVE, 0, 250, 125, {100, 50, 0, 0}},
      {press, 1, 321, 160, direct3D, synthetic::shift, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 250, 125, {100, 50, 1, 0}},
      {press, 3, 1023, 767, direct3D, synthetic::control, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_CONTROL, 799, 599, {319, 239, 3, 0}},
      {release, 1, 321, 160, direct3DLargerFrame, synthetic::none, WM_LBUTTONUP, MK_RBUTTON, 250, 125, {125, 62, 2, 0}},
      {press, 2, 31, 23, directDraw, synthetic::none, WM_MBUTTONDOWN, MK_RBUTTON | MK_MBUTTON, 0, 0, {0, 0, 6, 0}},
      {release, 3, 334, 176, directDraw, synthetic::none, WM_RBUTTONUP, MK_MBUTTON, 100, 50, {100, 50, 4, 0}},
      {release, 2, 1000, 760, directDraw, synthetic::none, WM_MBUTTONUP, 0, 319, 239, {319, 239, 0, 0}},
      {wheel, 2, 500, 400, directDraw, synthetic::none, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 156, 125, {319, 239, 0, 2}},
      {flippedWheel, -1, 500, 400, none, synthetic::shift, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -120), 500, 400, {319, 239, 0, -1}},
      {move, 0, -5, 3, none, synthetic::none, WM_MOUSEMOVE, 0, -5, 3, {0, 3, 0, 0}},
  };
  ShowWindow(window, SW_SHOW);
  RECT area{};
  ASSERT_TRUE(GetWindowRect(window, &area));
  ASSERT_TRUE(area.left == 0 && area.top == 0 && area.right == 1024 && area.bottom == 768);
  messageHook = recordingHook;
  for (const Case& c : cases) {
    const bool direct = c.shown == direct3D || c.shown == direct3DLargerFrame;
    platform::setShownPicture(window, c.shown == none     ? platform::ShownPicture{}
                                      : direct            ? platform::ShownPicture{800, 600, platform::Placement::keepingAspect}
                                                          : platform::ShownPicture{320, 240, platform::Placement::wholeFactor});
    displaySettings.backend = c.shown == directDraw ? backendDirectDraw : backendDirect3D;
    displaySettings.deviceWidth = direct ? 800 : 0;
    displaySettings.deviceHeight = direct ? 600 : 0;
    displaySettings.frameWidth = c.shown == direct3DLargerFrame ? 400 : 320;
    displaySettings.frameHeight = c.shown == direct3DLargerFrame ? 300 : 240;
    synthetic::holdModifiers(c.modifiers);
    if (c.kind == move) synthetic::pushMouseMotion(window, c.x, c.y);
    if (c.kind == press || c.kind == release) synthetic::pushMouseButton(window, c.button, c.kind == press, c.x, c.y);
    if (c.kind == wheel || c.kind == flippedWheel) synthetic::pushWheel(window, c.button, c.x, c.y, c.kind == flippedWheel);
    hooked.clear();
    testsupport::pumpMessages();
    const auto posted = std::find_if(hooked.begin(), hooked.end(), [&c](const MSG& m) { return m.message == c.message; });
    ASSERT_NE(posted, hooked.end()) << c.message;
    EXPECT_EQ(posted->wParam, c.wParam) << c.message;
    EXPECT_EQ(posted->lParam, MAKELPARAM(static_cast<SHORT>(c.clientX), static_cast<SHORT>(c.clientY))) << c.message;
    const MouseState state = readMouse();
    EXPECT_TRUE(state.x == c.state.x && state.y == c.state.y && state.buttons == c.state.buttons &&
                state.wheel == c.state.wheel)
        << c.message << ": " << state.x << "," << state.y << " " << state.buttons << " " << state.wheel;
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

// Minimised, the game stops drawing; merely losing the focus, it goes on. Taken over by the
// display set-up while minimised, it is restored and draws again.
TEST_F(WindowProcedure, OnlyMinimisingMakesTheGameInactive) {
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(displaySettings.active, 1);
  struct Step {
    WindowEvent event;
    int active;
  };
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
  EXPECT_EXIT(fatalError("%s", std::string(5000, 'b').c_str()), ::testing::ExitedWithCode(1), "^Error: b{1023}\n$");
  // The window's own failures.
  EXPECT_EXIT(
      {
        newContext("Kestrix twice").createWindow(nullptr);
        newContext("Kestrix twice").createWindow(nullptr);
      },
      ::testing::ExitedWithCode(1), "^Error: ERROR: al registrar la clase ventana\n$");
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
