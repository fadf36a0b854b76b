// The message queue and its pump, as one GUI thread sees them on Windows.
#include <windows.h>

#include <mmsystem.h>

#include "platform/win32/event_pump.h"
#include "platform/win32/keys.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/sdl_video.h"
#include "platform/win32/window_table.h"
#include "platform/web/page_loop.h"

namespace {

const HWND threadMessagesOnly = reinterpret_cast<HWND>(-1);
const HWND broadcast = reinterpret_cast<HWND>(0xFFFF);

bool validFilter(HWND window) { return window == nullptr || window == threadMessagesOnly || platform::findWindow(window) != nullptr; }

}  // namespace

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (lpMsg == nullptr || !validFilter(hWnd)) return FALSE;
  const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
  platform::pumpEvents();
  if (platform::takeFromQueue(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove)) return TRUE;
  // In a browser an idle program gives the page its frame here, then looks again.
  if (!platform::web::waitForBrowserFrame()) return FALSE;
  platform::pumpEvents();
  return platform::takeFromQueue(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove) ? TRUE : FALSE;
}

// 0 for WM_QUIT, -1 for a bad argument or a window that went away, else 1.
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  for (;;) {
    if (lpMsg == nullptr || !validFilter(hWnd)) return -1;
    platform::pumpEvents();
    if (platform::takeFromQueue(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true)) {
      return lpMsg->message == WM_QUIT ? 0 : 1;
    }
    WaitMessage();
  }
}

// Key-downs of keys with a control character get a WM_CHAR (WM_SYSCHAR with Alt) posted
// after them; printable characters come from the text input (event_pump.cpp).
BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (lpMsg == nullptr) return FALSE;
  if (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN) return FALSE;
  const Uint16 modifiers = platform::videoRunning() ? static_cast<Uint16>(SDL_GetModState()) : 0;
  const char character = platform::characterOf(lpMsg->wParam, modifiers);
  if (character == 0) return FALSE;
  MSG charMessage = *lpMsg;
  charMessage.message = lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  charMessage.wParam = static_cast<unsigned char>(character);
  platform::postToQueue(charMessage);
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (lpMsg == nullptr || lpMsg->hwnd == nullptr) return 0;
  const auto window = platform::findWindow(lpMsg->hwnd);
  if (window == nullptr) return 0;
  return window->proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

// Safe from any thread. A null window posts to the thread's queue (here: the one queue).
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  MSG message{};
  message.message = Msg;
  message.wParam = wParam;
  message.lParam = lParam;
  message.time = timeGetTime();
  if (hWnd == broadcast) {
    for (HWND window : platform::allWindows()) {
      message.hwnd = window;
      platform::postToQueue(message);
    }
    return TRUE;
  }
  if (hWnd != nullptr && platform::findWindow(hWnd) == nullptr) return FALSE;
  message.hwnd = hWnd;
  platform::postToQueue(message);
  return TRUE;
}

// Runs the window procedure at once, on the calling thread (the windows' own thread).
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  const auto window = platform::findWindow(hWnd);
  if (window == nullptr) return 0;
  return window->proc(hWnd, Msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int nExitCode) { platform::postQuit(nExitCode); }

// Returns when a message is waiting or one was sent to a window procedure meanwhile (a
// message already waiting counts: the caller looks before it waits).
BOOL WINAPI WaitMessage(void) {
  if (!platform::onVideoThread()) {
    platform::waitForQueue();
    return TRUE;
  }
  for (;;) {
    if (platform::pumpEvents() || platform::queueHasMessages()) return TRUE;
    if (platform::waitForEvent()) return TRUE;
  }
}
