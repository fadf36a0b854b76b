#include "platform/win32/window_table.h"

#include <strings.h>

#include <cstdint>
#include <map>
#include <mutex>

namespace platform {
namespace {

struct ClassRecord {
  std::string name;
  WNDCLASSA fields{};
  ATOM atom = 0;
};

struct Tables {
  std::mutex mutex;
  std::vector<ClassRecord> classes;
  std::map<HWND, std::shared_ptr<WindowRecord>> windows;
  std::uintptr_t nextHandle = 0x10010;
  ATOM nextAtom = 0xC000;
  HWND active = nullptr;
};

// Never destroyed: windows may still be looked up while the process ends.
Tables& tables() {
  static Tables* t = new Tables;
  return *t;
}

bool sameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

ATOM addClass(const WNDCLASSA& wndClass) {
  // Classes named by atom are not supported; a null name is an integer resource too.
  if (IS_INTRESOURCE(wndClass.lpszClassName) || wndClass.lpfnWndProc == nullptr) return 0;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  for (const ClassRecord& c : t.classes) {
    if (sameName(c.name, wndClass.lpszClassName)) return 0;
  }
  ClassRecord record;
  record.name = wndClass.lpszClassName;
  record.fields = wndClass;
  record.fields.lpszMenuName = nullptr;
  record.atom = t.nextAtom++;
  t.classes.push_back(std::move(record));
  return t.classes.back().atom;
}

bool findClass(const char* name, WNDCLASSA& out) {
  if (name == nullptr || IS_INTRESOURCE(name)) return false;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  for (const ClassRecord& c : t.classes) {
    if (sameName(c.name, name)) {
      out = c.fields;
      out.lpszClassName = c.name.c_str();  // lives as long as the class
      return true;
    }
  }
  return false;
}

bool removeClass(const char* name) {
  if (name == nullptr || IS_INTRESOURCE(name)) return false;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  for (const auto& [handle, window] : t.windows) {
    if (sameName(window->className, name)) return false;
  }
  for (auto it = t.classes.begin(); it != t.classes.end(); ++it) {
    if (sameName(it->name, name)) {
      t.classes.erase(it);
      return true;
    }
  }
  return false;
}

HWND addWindow(std::shared_ptr<WindowRecord> record) {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  // Handles are never reused, so a stale one stays invalid.
  const HWND handle = reinterpret_cast<HWND>(t.nextHandle);
  t.nextHandle += 2;
  record->handle = handle;
  t.windows.emplace(handle, std::move(record));
  return handle;
}

void removeWindow(HWND handle) {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  t.windows.erase(handle);
  if (t.active == handle) t.active = nullptr;
}

std::shared_ptr<WindowRecord> findWindow(HWND handle) {
  if (handle == nullptr) return nullptr;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  const auto it = t.windows.find(handle);
  return it != t.windows.end() ? it->second : nullptr;
}

std::shared_ptr<WindowRecord> findWindowBySdlId(unsigned sdlId) {
  if (sdlId == 0) return nullptr;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  for (const auto& [handle, window] : t.windows) {
    if (window->sdlId == sdlId) return window;
  }
  return nullptr;
}

std::vector<HWND> allWindows() {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  std::vector<HWND> handles;
  for (const auto& [handle, window] : t.windows) handles.push_back(handle);
  return handles;
}

HWND activeWindow() {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  return t.active;
}

void setActiveWindow(HWND handle) {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  t.active = handle;
}

}  // namespace platform
