// The display object's construction, its window and the window procedure.
#include <windows.h>

#include <cstring>

#include "audio/audio_clip.h"
#include "display/display.h"
#include "display/fatal_error.h"
#include "display/keyboard.h"
#include "display/mouse.h"

DisplayContext::DisplayContext(const char* name) {
  displaySettings.active = 0;
  const std::size_t size = std::strlen(name) + 1;
  windowName = new char[size];  // a heap copy: give it back with delete[]
  std::memcpy(windowName, name, size);
  // window and the eight interface pointers start null (their initialisers).
}

void DisplayContext::createWindow(HINSTANCE instanceHandle) {
  instance = instanceHandle;

  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = windowName;
  if (RegisterClassA(&windowClass) == 0) fatalError("ERROR: al registrar la clase ventana");

  // A borderless pop-up over the whole screen, hidden until the display set-up takes it.
  window = CreateWindowExA(WS_EX_TOPMOST, windowName, windowName, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance,
                           nullptr);
  if (window == nullptr) fatalError("ERROR: no puedo crear la ventana");

  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);
  clearKeyTable();
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (LRESULT result = 0; messageHook != nullptr && messageHook(window, message, wParam, lParam, &result)) {
    return result;
  }
  switch (message) {
    case WM_DESTROY:
      // stopAll silences the whole output and needs no clip: the music clip may be missing.
      AudioClip{}.stopAll();
      if (musicClip != nullptr) {
        musicClip->freeAll();
        delete musicClip;
        musicClip = nullptr;  // a second WM_DESTROY finds nothing to free
      }
      PostQuitMessage(0);
      return 0;

    case WM_ACTIVATE:
      // Only the minimised state counts: a window that merely lost activation keeps drawing.
      displaySettings.active = HIWORD(wParam) == 0 ? 1 : 0;
      return 0;

    case WM_SETCURSOR:
      if (displaySettings.showPointer != 0) return DefWindowProcA(window, message, wParam, lParam);
      SetCursor(nullptr);
      return 1;

    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
      }
      setKeyEntry(wParam, 1);  // codes of 256 and more are not in the table
      return 0;

    case WM_KEYUP:
      setKeyEntry(wParam, 0);
      return 0;

    default:
      trackMouse(message, wParam, lParam);  // and the mouse messages' default handling
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
