// Window classes and windows over SDL windows.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/activation.h"
#include "platform/win32/cursor.h"
#include "platform/win32/development_window.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/sdl_video.h"
#include "platform/win32/window_table.h"

namespace {

using platform::WindowRecord;

constexpr int defaultWidth = 640;  // an overlapped window of CW_USEDEFAULT size
constexpr int defaultHeight = 480;

Uint32 sdlFlagsFor(DWORD style, DWORD exStyle) {
  Uint32 flags = SDL_WINDOW_HIDDEN;  // shown by ShowWindow, which also activates
  const bool overlapped = (style & (WS_POPUP | WS_CHILD)) == 0;
  const bool caption = overlapped || (style & WS_CAPTION) == WS_CAPTION;
  if (!caption) flags |= SDL_WINDOW_BORDERLESS;
  if ((style & WS_THICKFRAME) != 0) flags |= SDL_WINDOW_RESIZABLE;
  if ((exStyle & WS_EX_TOPMOST) != 0) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if ((exStyle & WS_EX_TOOLWINDOW) != 0) flags |= SDL_WINDOW_SKIP_TASKBAR;
  return flags;
}

// Tears the window down: hidden, deactivated, the listeners told, WM_DESTROY (when it got as
// far as WM_CREATE) and WM_NCDESTROY sent, its posted messages dropped, its SDL window gone.
void destroy(WindowRecord& window, bool sendDestroy) {
  window.destroying = true;
  if (window.visible) {
    window.visible = false;
    SDL_HideWindow(window.sdl);
  }
  platform::deactivate(window);
  platform::notifyListeners(window.handle, platform::WindowChange::destroying);
  if (sendDestroy) SendMessageA(window.handle, WM_DESTROY, 0, 0);
  SendMessageA(window.handle, WM_NCDESTROY, 0, 0);
  platform::dropMessagesFor(window.handle);
  platform::removeWindow(window.handle);
  SDL_DestroyWindow(window.sdl);
  window.sdl = nullptr;
}

}  // namespace

// One module: the instance handle names no class apart.
ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  return lpWndClass != nullptr ? platform::addClass(*lpWndClass) : 0;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) { return platform::removeClass(lpClassName) ? TRUE : FALSE; }

BOOL WINAPI GetClassInfoA(HINSTANCE, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
  return lpWndClass != nullptr && platform::findClass(lpClassName, *lpWndClass) ? TRUE : FALSE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  WNDCLASSA wndClass{};
  if (!platform::findClass(lpClassName, wndClass)) return nullptr;
  if (!platform::startVideo() || !platform::onVideoThread()) return nullptr;
  platform::applyCursor();

  // CW_USEDEFAULT places an overlapped window where the system likes; for pop-up and
  // child windows it means 0, as on Windows.
  const bool overlapped = (dwStyle & (WS_POPUP | WS_CHILD)) == 0;
  int x = X;
  int y = Y;
  if (X == CW_USEDEFAULT) x = y = overlapped ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : 0;
  int width = nWidth;
  int height = nHeight;
  if (nWidth == CW_USEDEFAULT) {
    width = overlapped ? defaultWidth : 0;
    height = overlapped ? defaultHeight : 0;
  }
  const char* title = lpWindowName != nullptr ? lpWindowName : "";
  // SDL has no empty windows; Windows does, and shows nothing of them.
  SDL_Window* sdl = SDL_CreateWindow(title, x, y, std::max(width, 1), std::max(height, 1),
                                     sdlFlagsFor(dwStyle, dwExStyle));
  if (sdl == nullptr) return nullptr;

  auto record = std::make_shared<WindowRecord>();
  record->proc = wndClass.lpfnWndProc;
  record->className = wndClass.lpszClassName;
  record->title = title;
  record->style = dwStyle & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE);
  record->exStyle = dwExStyle;
  record->classCursor = wndClass.hCursor;
  record->sdl = sdl;
  record->sdlId = SDL_GetWindowID(sdl);
  const HWND window = platform::addWindow(record);

  SDL_GetWindowPosition(sdl, &x, &y);
  CREATESTRUCTA create{lpParam, hInstance, hMenu, hWndParent, height, width, y, x, static_cast<LONG>(dwStyle),
                       title, record->className.c_str(), dwExStyle};
  if (SendMessageA(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE) {
    destroy(*record, false);
    return nullptr;
  }
  if (SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    destroy(*record, true);
    return nullptr;
  }
  if ((dwStyle & WS_VISIBLE) != 0 && !record->destroying) ShowWindow(window, SW_SHOW);
  return platform::findWindow(window) != nullptr ? window : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  const auto window = platform::findWindow(hWnd);
  // A window is destroyed once, by the thread that owns it.
  if (window == nullptr || window->destroying || !platform::onVideoThread()) return FALSE;
  destroy(*window, true);
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  const auto window = platform::findWindow(hWnd);
  if (window == nullptr || window->destroying || !platform::onVideoThread()) return FALSE;
  WindowRecord& w = *window;
  const BOOL wasVisible = w.visible ? TRUE : FALSE;
  switch (nCmdShow) {
    case SW_HIDE:
      if (w.visible) {
        w.visible = false;
        SDL_HideWindow(w.sdl);
      }
      platform::deactivate(w);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
      platform::show(w);
      SDL_MinimizeWindow(w.sdl);
      platform::minimize(w);
      if (nCmdShow == SW_SHOWMINIMIZED) platform::activate(w);  // active, and still minimised
      break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
      platform::show(w);
      if (nCmdShow == SW_SHOWNOACTIVATE && w.minimized) {
        SDL_RestoreWindow(w.sdl);
        w.minimized = false;
        platform::notifyListeners(w.handle, platform::WindowChange::restored);
      }
      break;
    case SW_SHOW:  // in its current state: a minimised window stays minimised
      platform::show(w);
      platform::activate(w);
      break;
    case SW_SHOWNORMAL:
    case SW_SHOWMAXIMIZED:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      platform::show(w);
      if (w.minimized) {
        SDL_RestoreWindow(w.sdl);
        platform::restore(w);
      }
      if (nCmdShow == SW_SHOWMAXIMIZED) SDL_MaximizeWindow(w.sdl);
      platform::activate(w);
      break;
    default:
      return FALSE;
  }
  return wasVisible;
}

// Nothing is painted by the layer: the display set-up takes the window over.
BOOL WINAPI UpdateWindow(HWND hWnd) { return platform::findWindow(hWnd) != nullptr ? TRUE : FALSE; }

BOOL WINAPI IsWindow(HWND hWnd) { return platform::findWindow(hWnd) != nullptr ? TRUE : FALSE; }

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  const auto window = platform::findWindow(hWnd);
  return window != nullptr && window->visible ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND hWnd) {
  const auto window = platform::findWindow(hWnd);
  return window != nullptr && window->minimized ? TRUE : FALSE;
}

HWND WINAPI GetForegroundWindow(void) { return platform::activeWindow(); }

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  const auto window = platform::findWindow(hWnd);
  if (window == nullptr || lpString == nullptr || nMaxCount <= 0) return 0;
  const std::size_t length = std::min(window->title.size(), static_cast<std::size_t>(nMaxCount - 1));
  std::memcpy(lpString, window->title.data(), length);
  lpString[length] = '\0';
  return static_cast<int>(length);
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  const auto window = platform::findWindow(hWnd);
  if (window == nullptr || window->sdl == nullptr || lpRect == nullptr) return FALSE;
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(window->sdl, &x, &y);
  SDL_GetWindowSize(window->sdl, &width, &height);
  *lpRect = RECT{x, y, x + width, y + height};
  return TRUE;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  const auto window = platform::findWindow(hWnd);
  if (window == nullptr) return 0;
  switch (nIndex) {
    case GWL_STYLE: {
      DWORD style = window->style;
      if (window->visible) style |= WS_VISIBLE;
      if (window->minimized) style |= WS_MINIMIZE;
      return static_cast<LONG>(style);
    }
    case GWL_EXSTYLE:
      return static_cast<LONG>(window->exStyle);
    default:
      return 0;
  }
}

// The size of the primary display's current mode, 0 when there is no display. With
// KESTRIX_WINDOW the window that stands for the screen: a program that sizes its window
// from the screen gets that window.
int WINAPI GetSystemMetrics(int nIndex) {
  if (nIndex != SM_CXSCREEN && nIndex != SM_CYSCREEN) return 0;
  if (!platform::startVideo()) return 0;
  if (const int scale = platform::windowScale(); scale > 0) {
    return (nIndex == SM_CXSCREEN ? platform::windowedFrameWidth() : platform::windowedFrameHeight()) * scale;
  }
  SDL_DisplayMode mode{};
  if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return 0;
  return nIndex == SM_CXSCREEN ? mode.w : mode.h;
}
