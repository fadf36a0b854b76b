// Message boxes: a real box where a person can see one, and always the text on standard
// error too, so that a person without a display, or a script, sees why the program ended.
#include <windows.h>

#include <SDL.h>

#include <cstdio>

#include "platform/win32/box_exits.h"
#include "platform/win32/sdl_video.h"
#include "platform/win32/termination.h"
#include "platform/win32/window_internal.h"

namespace {

Uint32 iconFlags(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONINFORMATION: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
  }
}

}  // namespace

// Returns the button chosen; IDOK for a plain box that nobody can see, 0 (failure) for a
// question that nobody can answer.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  const char* text = lpText != nullptr ? lpText : "";
  const char* caption = lpCaption != nullptr ? lpCaption : "Error";  // Windows' own default
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);

  constexpr Uint32 returnKey = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  constexpr Uint32 escapeKey = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  const SDL_MessageBoxButtonData ok[] = {{returnKey | escapeKey, IDOK, "OK"}};
  const SDL_MessageBoxButtonData okCancel[] = {{returnKey, IDOK, "OK"}, {escapeKey, IDCANCEL, "Cancel"}};
  const SDL_MessageBoxButtonData yesNo[] = {{returnKey, IDYES, "Yes"}, {0, IDNO, "No"}};
  const SDL_MessageBoxButtonData* buttons = ok;
  int buttonCount = 1;
  int closed = IDOK;  // the answer when the box is closed without a button
  switch (uType & MB_TYPEMASK) {
    case MB_OKCANCEL:
      buttons = okCancel;
      buttonCount = 2;
      closed = IDCANCEL;
      break;
    case MB_YESNO:
      buttons = yesNo;
      buttonCount = 2;
      closed = IDNO;
      break;
    default:
      break;
  }
  const int unanswered = buttons == ok ? IDOK : 0;
  if (!platform::displayAvailable()) return unanswered;

  SDL_MessageBoxData box{};
  box.flags = iconFlags(uType) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.window = platform::sdlWindowOf(hWnd);
  box.title = caption;
  box.message = text;
  box.numbuttons = buttonCount;
  box.buttons = buttons;
  int chosen = -1;
  const platform::BoxExits exits;  // the box waits for nothing but its answer
  // A request from before: nobody waits for the answer (the request is kept for the pump).
  if (platform::terminationRequested()) return unanswered;
  if (SDL_ShowMessageBox(&box, &chosen) != 0) return unanswered;  // the standard error line stands
  return chosen >= 0 ? chosen : closed;
}
