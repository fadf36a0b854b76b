// The display object's window and its window procedure, and fatalError (its message goes
// to a box captioned "Error" and to standard error), over SDL's dummy video driver.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "audio/audio_clip.h"
#include "display/display.h"
#include "display/fatal_error.h"
#include "display/keyboard.h"
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
