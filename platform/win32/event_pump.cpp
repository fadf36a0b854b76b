#include "platform/win32/event_pump.h"

#include <windows.h>

#include <SDL.h>

#include <atomic>
#include <algorithm>

#include "platform/stats/run_stats.h"
#include "platform/win32/activation.h"
#include "platform/win32/keys.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/mouse_messages.h"
#include "platform/win32/sdl_video.h"
#include "platform/win32/termination.h"
#include "platform/win32/window_table.h"
#include "platform/web/page_loop.h"

namespace platform {
namespace {

std::shared_ptr<WindowRecord> liveWindow(Uint32 sdlId) {
  auto window = findWindowBySdlId(sdlId);
  return window != nullptr && !window->destroying ? window : nullptr;
}

// Keys go to the window SDL names, else to the active window, as the keyboard does.
HWND keyTarget(Uint32 sdlId) {
  if (const auto window = liveWindow(sdlId)) return window->handle;
  return activeWindow();
}

bool sendSetCursor(HWND window) {
  SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return true;
}

// Pointer events go to the visible window under the pointer; the wheel's to the one SDL
// names, else to the active window, as it follows the keyboard on Windows.
bool postMouseMessage(const SDL_Event& event, Uint32 sdlId) {
  auto window = liveWindow(sdlId);
  if (event.type == SDL_MOUSEWHEEL && window == nullptr) window = findWindow(activeWindow());
  if (window == nullptr || !window->visible) return false;
  MSG message;
  if (!mouseMessageOf(event, *window, message)) return false;
  postToQueue(message);
  return true;
}

// Text typed: each Latin-1 character a WM_CHAR (WM_SYSCHAR while Alt alone is held), as
// TranslateMessage makes them of key-downs on Windows.
bool postText(const SDL_TextInputEvent& text) {
  const HWND target = keyTarget(text.windowID);
  const std::string characters = latin1Of(text.text);
  if (target == nullptr || characters.empty()) return false;
  const SDL_Keymod mod = SDL_GetModState();
  const bool system = (mod & KMOD_ALT) != 0 && (mod & KMOD_CTRL) == 0;
  for (const char c : characters) PostMessageA(target, system ? WM_SYSCHAR : WM_CHAR, static_cast<unsigned char>(c), 1);
  return true;
}

// The client area's new size: the window's, or the picture's it shows full screen.
bool sendSize(WindowRecord& w, Sint32 width, Sint32 height) {
  if (w.shown.width > 0) {
    width = w.shown.width;
    height = w.shown.height;
  }
  const bool maximized = (SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_MAXIMIZED) != 0;
  SendMessageA(w.handle, WM_SIZE, maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
  return true;
}

bool handleWindowEvent(const SDL_WindowEvent& event) {
  const auto window = liveWindow(event.windowID);
  if (window == nullptr) return false;
  WindowRecord& w = *window;
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
      if (w.minimized) return false;
      minimize(w);
      return true;
    case SDL_WINDOWEVENT_RESTORED:  // also the end of maximised, which changes nothing here
      if (!w.minimized) return false;
      restore(w);
      return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      // Late news of a window hidden or minimised since (without a window manager the X
      // server keeps the focus on a window it cannot iconify): restoring is news of its own.
      if (!w.visible || w.minimized) return false;
      if (activeWindow() == w.handle) return false;
      activate(w);
      return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      if (activeWindow() != w.handle) return false;
      deactivate(w);
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      // The close button is a system command; its default handling sends WM_CLOSE.
      SendMessageA(w.handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    case SDL_WINDOWEVENT_ENTER:
      return w.visible && sendSetCursor(w.handle);
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      return sendSize(w, event.data1, event.data2);
    default:
      return false;
  }
}

// Every window is asked to close; true when one was.
bool closeAllWindows() {
  bool posted = false;
  for (HWND window : allWindows()) posted = PostMessageA(window, WM_CLOSE, 0, 0) != FALSE || posted;
  return posted;
}

// A termination request caught since the last pump. The first pump is the message loop's
// start: a request from before it ends the program as a failed start does, with code 1;
// later ones close the windows, as SDL's own quit event does, and where there is no window
// to close the loop is ended all the same.
bool passOnTerminationRequest() {
  static std::atomic<bool> loopRan{false};
  const bool before = !loopRan.exchange(true);
  if (!takeTerminationRequest()) return false;
  if (before || !closeAllWindows()) postQuit(1);
  return true;
}

bool handleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      MSG message;
      if (!keyMessageOf(event.key, message)) return false;
      message.hwnd = keyTarget(event.key.windowID);
      if (message.hwnd == nullptr) return false;
      postToQueue(message);
      if (event.type == SDL_KEYDOWN && event.key.repeat == 0) platform::stats::keyPressed();
      return true;
    }
    case SDL_WINDOWEVENT:
      return handleWindowEvent(event.window);
    case SDL_MOUSEMOTION: {
      const auto window = liveWindow(event.motion.windowID);
      if (window != nullptr && window->visible) sendSetCursor(window->handle);
      return postMouseMessage(event, event.motion.windowID);
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return postMouseMessage(event, event.button.windowID);
    case SDL_MOUSEWHEEL:
      return postMouseMessage(event, event.wheel.windowID);
    case SDL_TEXTINPUT:
      return postText(event.text);
    case SDL_QUIT:  // a termination request that SDL caught (a program with its own main)
      return closeAllWindows();
    default:
      return false;  // including the wake-up event: the queue tells what was posted
  }
}

}  // namespace

bool pumpEvents() {
  web::runDueTimers();  // a browser page's timers run here: it has no threads
  bool delivered = passOnTerminationRequest();
  if (!onVideoThread()) return delivered;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) delivered = handleEvent(event) || delivered;
  return delivered;
}

bool waitForEvent() {
  if (!beginSdlWait()) return true;
  SDL_Event event;
  const int got = SDL_WaitEventTimeout(&event, std::min(sdlWaitLimitMs, web::msUntilNextTimer()));
  endSdlWait();
  return got != 0 && handleEvent(event);
}

}  // namespace platform
