// Test windows whose procedure records every message it gets before the default handling.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/headless_video.h"

namespace testwindow {

struct Received {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the recording procedure got, in order; tests may add their own markers.
std::vector<Received>& received();
std::vector<Received> receivedOf(UINT message);

// A window of the recording class (registered on first use), hidden unless the style says.
HWND make(DWORD style = WS_POPUP, int width = 64, int height = 48);
// Takes every posted message off the queue, including a pending quit.
std::vector<MSG> drain();
// Destroys every window made here and forgets what was recorded.
void cleanUp();

}  // namespace testwindow
