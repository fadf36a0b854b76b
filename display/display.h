// Kestrix's display object and settings: the window, the display set-up on Direct3D 8 or
// DirectDraw 7, and the presentation of each frame of 0x00RRGGBB pixels (320×240 unless
// the program sets another size before initDisplay).
#pragma once

#include <windows.h>

#include <cstdint>

struct IDirectDraw7;
struct IDirectDrawSurface7;
struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DVertexBuffer8;
struct IDirect3DTexture8;

// The back-end selector: 0 is Direct3D 8, 1 is DirectDraw.
enum Backend : int { backendDirect3D = 0, backendDirectDraw = 1 };

// Process-wide settings of the library, with their values at process start.
struct DisplaySettings {
  // The frame's size: set by the program, if at all, before initDisplay; 1 to
  // maxFrameSide on each side.
  int frameWidth = 320;
  int frameHeight = 240;
  int displayDepth = 32;  // DirectDraw: the depth of the mode in effect
  int green6Bit = 1;      // cleared when a 16-bit mode is 5-5-5
  int active = 0;         // frames are drawn while non-zero; main thread only
  int backend = backendDirect3D;
  int deviceWidth = 0;
  int deviceHeight = 0;
  // 0: each frame is shown at once instead of at the display's next refresh (a program that
  // paces itself, a benchmark). Set before initDisplay.
  int waitForRefresh = 1;
  int showPointer = 0;  // non-zero: the class cursor shows over the window instead of none
};
inline constexpr int maxFrameSide = 4096;
extern DisplaySettings displaySettings;

// The display object: one window and the objects of one back-end.
struct DisplayContext {
  char* windowName = nullptr;  // heap copy: window class name and title
  HWND window = nullptr;
  HINSTANCE instance = nullptr;
  IDirectDraw7* directDraw = nullptr;
  IDirectDrawSurface7* primarySurface = nullptr;
  IDirectDrawSurface7* backBuffer = nullptr;
  IDirectDrawSurface7* offscreenSurface = nullptr;
  IDirect3D8* direct3D = nullptr;
  IDirect3DDevice8* device = nullptr;
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  IDirect3DTexture8* texture = nullptr;

  // Clears the active flag and keeps a copy of the name.
  explicit DisplayContext(const char* name);
  // Gives back the display objects (restoreOrRelease).
  ~DisplayContext();
  DisplayContext(const DisplayContext&) = delete;
  DisplayContext& operator=(const DisplayContext&) = delete;

  // Registers the window class and creates the hidden full-screen pop-up window; clears
  // the keyboard state. Ends the program through fatalError when it cannot.
  void createWindow(HINSTANCE instanceHandle);

  // Opens the display on a back-end: 0 for Direct3D 8 with a width × height back buffer,
  // 1 for DirectDraw at the frame's size. Returns -1 when a Direct3D step failed, else 0.
  // A frame size outside 1 to maxFrameSide ends the program through fatalError.
  int initDisplay(int backendChoice, int width, int height);
  // Puts one frame on the screen; a failing step costs that frame only.
  void presentFrame(const std::uint32_t* frame);
  // DirectDraw: copies the off-screen surface to the back buffer and flips.
  void flipToScreen();
  // DirectDraw: restores the three surfaces after a loss.
  HRESULT restoreSurfaces();
  // Gives back the display objects of the back-end in force.
  HRESULT restoreOrRelease();
};

// The window procedure of the display object's window class.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// A routine slot for the program: holds a routine that does nothing until the program
// stores its own. The library never calls it.
extern void (*exitHook)();

// The program's own look at the window's messages: when set, the window procedure gives it
// every message first. A hook that handles one (Escape, WM_CHAR, WM_SIZE, ...) stores the
// result and returns true, and the window procedure returns that result and does nothing
// else; false leaves the message to the window procedure. Null (the start): no hook.
using MessageHook = bool (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
extern MessageHook messageHook;
