// What a browser page's one thread does in place of the timer's thread and a blocking wait.
// There the periodic timers run from the message pump, and a PeekMessage that finds nothing
// gives the page its next frame (the program's loop is suspended meanwhile, by the
// compiler's asynchronous transform), so that pictures reach the screen and events arrive.
// Elsewhere these do nothing.
#pragma once

#include <climits>

namespace platform::web {

#if defined(__EMSCRIPTEN__)
// Runs every timer callback that is due, in order; not from inside a callback.
void runDueTimers();
// Milliseconds until the next timer callback is due (0: one is due; INT_MAX: none).
int msUntilNextTimer();
// Suspends the program until the browser's next animation frame; true.
bool waitForBrowserFrame();
#else
inline void runDueTimers() {}
inline int msUntilNextTimer() { return INT_MAX; }
inline bool waitForBrowserFrame() { return false; }
#endif

}  // namespace platform::web
