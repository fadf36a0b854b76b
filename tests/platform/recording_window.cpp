#include "tests/platform/recording_window.h"

namespace testwindow {
namespace {

std::vector<HWND> made;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received().push_back(Received{window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* className() {
  static const char* name = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "Kestrix recording window";
    RegisterClassA(&windowClass);
    return windowClass.lpszClassName;
  }();
  return name;
}

}  // namespace

std::vector<Received>& received() {
  static std::vector<Received> log;
  return log;
}

std::vector<Received> receivedOf(UINT message) {
  std::vector<Received> matching;
  for (const Received& r : received()) {
    if (r.message == message) matching.push_back(r);
  }
  return matching;
}

HWND make(DWORD style, int width, int height) {
  const HWND window = CreateWindowExA(0, className(), "recording", style, 0, 0, width, height, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  if (window != nullptr) made.push_back(window);
  return window;
}

std::vector<MSG> drain() {
  std::vector<MSG> messages;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) messages.push_back(message);
  return messages;
}

void cleanUp() {
  for (HWND window : made) DestroyWindow(window);
  made.clear();
  drain();
  received().clear();
}

}  // namespace testwindow
