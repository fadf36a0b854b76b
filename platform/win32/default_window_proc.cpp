// What Windows does with a message a window procedure leaves to it: closing, the system
// menu's commands, Alt+F4 and the class cursor. Kept apart from the message queue, which
// the window calls use to send messages, so that neither file needs the other.
#include <windows.h>

#include "platform/win32/window_table.h"

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_SETCURSOR: {
      // Over the client area the class cursor shows.
      const auto window = platform::findWindow(hWnd);
      if (window == nullptr || LOWORD(lParam) != HTCLIENT || window->classCursor == nullptr) return FALSE;
      SetCursor(window->classCursor);
      return TRUE;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (LPARAM{1} << 29)) != 0) SendMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessageA(hWnd, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(hWnd, SW_MINIMIZE);
          break;
        case SC_MAXIMIZE:
          ShowWindow(hWnd, SW_SHOWMAXIMIZED);
          break;
        case SC_RESTORE:
          ShowWindow(hWnd, SW_RESTORE);
          break;
        default:
          break;
      }
      return 0;
    default:
      return 0;
  }
}
