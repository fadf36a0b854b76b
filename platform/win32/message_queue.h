// The process's message queue, as a thread's queue is on Windows: posted messages in order,
// then a pending quit request. Posting is safe from any thread and wakes a waiting one.
#pragma once

#include <windows.h>

namespace platform {

void postToQueue(const MSG& message);
// Copies the first message that passes the filter into out, and takes it off the queue when
// remove is set. A window filter of null passes every message, (HWND)-1 those posted to no
// window; a range of 0, 0 passes every message, and WM_QUIT passes any range. The quit
// request (hwnd null, wParam the exit code) comes only after the posted messages.
bool takeFromQueue(MSG& out, HWND window, UINT first, UINT last, bool remove);
void postQuit(int exitCode);
// Messages posted to a window that is gone are never delivered.
void dropMessagesFor(HWND window);
bool queueHasMessages();

// Blocks until something is posted or a quit is requested.
void waitForQueue();
// For the video thread before it waits inside SDL: false, and no wait, when messages are
// already there. Between the two calls, posting pushes SDL's wake-up event; should SDL
// refuse it, the wait's bound (sdlWaitLimitMs) is how late the waiter sees the message.
bool beginSdlWait();
void endSdlWait();
// Whether the video thread waits inside SDL, with no wake-up pushed yet.
bool inSdlWait();
constexpr int sdlWaitLimitMs = 100;

}  // namespace platform
