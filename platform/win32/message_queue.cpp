#include "platform/win32/message_queue.h"

#include <mmsystem.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/win32/sdl_video.h"

namespace platform {
namespace {

struct Queue {
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<MSG> messages;
  bool quitPending = false;
  int exitCode = 0;
  bool sdlWaiter = false;
};

// Never destroyed: other threads may still post while the process ends.
Queue& queue() {
  static Queue* q = new Queue;
  return *q;
}

bool passes(const MSG& m, HWND window, UINT first, UINT last) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (m.hwnd != nullptr) return false;
  } else if (window != nullptr && m.hwnd != window) {
    return false;
  }
  if (first == 0 && last == 0) return true;
  return m.message == WM_QUIT || (m.message >= first && m.message <= last);
}

// Called with the lock held. SDL may refuse the wake-up (a full queue, an event filter,
// no event type to send): the waiter then wakes at the end of its bounded wait.
void wakeWaiters(Queue& q) {
  q.posted.notify_all();
  if (q.sdlWaiter && wakeEventType() != 0) {
    SDL_Event wake{};
    wake.type = wakeEventType();
    if (SDL_PushEvent(&wake) == 1) q.sdlWaiter = false;  // one wake-up per wait is enough
  }
}

}  // namespace

void postToQueue(const MSG& message) {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  q.messages.push_back(message);
  wakeWaiters(q);
}

bool takeFromQueue(MSG& out, HWND window, UINT first, UINT last, bool remove) {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
    if (!passes(*it, window, first, last)) continue;
    out = *it;
    if (remove) q.messages.erase(it);
    return true;
  }
  const bool quitPasses = window == nullptr || window == reinterpret_cast<HWND>(-1);
  if (q.quitPending && quitPasses) {
    out = MSG{};
    out.message = WM_QUIT;
    out.wParam = static_cast<WPARAM>(q.exitCode);
    out.time = timeGetTime();
    if (remove) q.quitPending = false;
    return true;
  }
  return false;
}

void postQuit(int exitCode) {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  q.quitPending = true;
  q.exitCode = exitCode;
  wakeWaiters(q);
}

void dropMessagesFor(HWND window) {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  std::erase_if(q.messages, [window](const MSG& m) { return m.hwnd == window; });
}

bool queueHasMessages() {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  return !q.messages.empty() || q.quitPending;
}

void waitForQueue() {
  Queue& q = queue();
  std::unique_lock lock(q.mutex);
  q.posted.wait(lock, [&q] { return !q.messages.empty() || q.quitPending; });
}

bool beginSdlWait() {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  if (!q.messages.empty() || q.quitPending) return false;
  q.sdlWaiter = true;
  return true;
}

bool inSdlWait() {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  return q.sdlWaiter;
}

void endSdlWait() {
  Queue& q = queue();
  std::lock_guard lock(q.mutex);
  q.sdlWaiter = false;
}

}  // namespace platform
