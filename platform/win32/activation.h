// Activation and the minimised state, kept by the layer itself so that WM_ACTIVATE is sent
// exactly once per change, whether the change comes from the program (ShowWindow) or from
// the window system (SDL's focus and minimise events, which may never come without a
// window manager).
#pragma once

#include "platform/win32/window_table.h"
#include "platform/win32/window_internal.h"

namespace platform {

// The window becomes the active one: the one active before gets WM_ACTIVATE(WA_INACTIVE),
// then this one WM_ACTIVATE(WA_ACTIVE). Nothing when it already is active.
void activate(WindowRecord& window);
// The window loses activation without a successor: WM_ACTIVATE(WA_INACTIVE), with the
// minimised state in the high word. Nothing when it is not the active window.
void deactivate(WindowRecord& window);
// Minimising: the listeners, then WM_ACTIVATE(WA_INACTIVE) with a non-zero high word.
void minimize(WindowRecord& window);
// Restoring: the listeners, then activation. Nothing when not minimised.
void restore(WindowRecord& window);

// Makes the window visible, without activating it.
void show(WindowRecord& window);

void notifyListeners(HWND window, WindowChange change);

}  // namespace platform
