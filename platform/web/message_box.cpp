// Message boxes on a page: the text is shown in the page (Module.showMessage, a line over
// the canvas) and written to standard error (the console). The page cannot hold the
// program until a button is pressed, so a plain box is answered OK at once, and a question
// gets 0 (failure), as one that nobody can answer.
#include <windows.h>

#include <emscripten.h>

#include <cstdio>

namespace {

EM_JS(void, showOnPage, (const char* caption, const char* text), {
  if (typeof Module.showMessage === 'function') Module.showMessage(UTF8ToString(caption), UTF8ToString(text));
});

}  // namespace

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  const char* text = lpText != nullptr ? lpText : "";
  const char* caption = lpCaption != nullptr ? lpCaption : "Error";  // Windows' own default
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  showOnPage(caption, text);
  return (uType & MB_TYPEMASK) == MB_OK ? IDOK : 0;
}
