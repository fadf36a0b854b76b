// The window layer's records: registered window classes and live windows, by name and by
// handle. Lookups are safe from any thread; records are changed on the video thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/client_area.h"

struct SDL_Window;

namespace platform {

struct WindowRecord {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  std::string className;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  HCURSOR classCursor = nullptr;
  SDL_Window* sdl = nullptr;
  unsigned sdlId = 0;
  bool visible = false;
  bool minimized = false;
  bool destroying = false;
  ShownPicture shown;  // what a full-screen take-over shows in it
};

// Classes. addClass returns the class atom, or 0 when the name is taken or the class is
// incomplete. Names compare without regard to case, as Windows does.
ATOM addClass(const WNDCLASSA& wndClass);
bool findClass(const char* name, WNDCLASSA& out);
// Fails while a window of the class exists.
bool removeClass(const char* name);

// Windows. addWindow gives the record its handle.
HWND addWindow(std::shared_ptr<WindowRecord> record);
void removeWindow(HWND handle);
std::shared_ptr<WindowRecord> findWindow(HWND handle);
std::shared_ptr<WindowRecord> findWindowBySdlId(unsigned sdlId);
std::vector<HWND> allWindows();

// The active window (the one that gets the keyboard), or null.
HWND activeWindow();
void setActiveWindow(HWND handle);

}  // namespace platform
