#include "platform/win32/activation.h"

#include <SDL.h>

#include <utility>
#include <vector>

namespace platform {
namespace {

struct Listener {
  int id;
  WindowListener call;
};
std::vector<Listener> listeners;
int nextListenerId = 1;

void sendActivate(HWND window, WORD state, bool minimized, HWND other) {
  SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(state, minimized ? 1 : 0), reinterpret_cast<LPARAM>(other));
}

}  // namespace

void activate(WindowRecord& window) {
  const HWND self = window.handle;
  const HWND previous = activeWindow();
  if (previous == self) return;
  setActiveWindow(self);
  if (previous != nullptr) {
    if (auto before = findWindow(previous)) sendActivate(previous, WA_INACTIVE, before->minimized, self);
  }
  if (window.sdl != nullptr) SDL_RaiseWindow(window.sdl);
  sendActivate(self, WA_ACTIVE, window.minimized, previous);
}

void deactivate(WindowRecord& window) {
  if (activeWindow() != window.handle) return;
  setActiveWindow(nullptr);
  sendActivate(window.handle, WA_INACTIVE, window.minimized, nullptr);
}

void minimize(WindowRecord& window) {
  if (window.minimized) return;
  window.minimized = true;
  notifyListeners(window.handle, WindowChange::minimized);
  if (activeWindow() == window.handle) setActiveWindow(nullptr);
  sendActivate(window.handle, WA_INACTIVE, true, nullptr);
}

void restore(WindowRecord& window) {
  if (!window.minimized) return;
  window.minimized = false;
  notifyListeners(window.handle, WindowChange::restored);
  if (activeWindow() != window.handle) {
    activate(window);
  } else {  // activated while minimised: it now says so without the minimised state
    if (window.sdl != nullptr) SDL_RaiseWindow(window.sdl);
    sendActivate(window.handle, WA_ACTIVE, false, nullptr);
  }
}

void show(WindowRecord& window) {
  if (window.visible) return;
  window.visible = true;
  if (window.sdl != nullptr) SDL_ShowWindow(window.sdl);
}

void notifyListeners(HWND window, WindowChange change) {
  // A copy: a listener may add or remove listeners.
  const std::vector<Listener> current = listeners;
  for (const Listener& l : current) l.call(window, change);
}

SDL_Window* sdlWindowOf(HWND window) {
  const auto record = findWindow(window);
  return record != nullptr ? record->sdl : nullptr;
}

void activateWindow(HWND window) {
  const auto record = findWindow(window);
  if (record == nullptr || record->destroying) return;
  show(*record);
  if (record->minimized) {
    if (record->sdl != nullptr) SDL_RestoreWindow(record->sdl);
    restore(*record);
  }
  activate(*record);
}

int addWindowListener(WindowListener listener) {
  const int id = nextListenerId++;
  listeners.push_back(Listener{id, std::move(listener)});
  return id;
}

void removeWindowListener(int id) {
  std::erase_if(listeners, [id](const Listener& l) { return l.id == id; });
}

}  // namespace platform
