// The mouse as the program's frame sees it, kept by the window procedure from the mouse
// messages as it keeps the keyboard's state: the frame pixel under the pointer, the buttons
// held and the wheel's notches.
#pragma once

#include <windows.h>

struct MouseState {
  int x;        // the frame pixel under the pointer, kept inside the frame
  int y;
  int buttons;  // bit 0 left, bit 1 right, bit 2 middle
  int wheel;    // notches turned since the last read, away from the user positive
};

// The state now; the wheel's notches are counted from here on afresh. Safe from any thread.
MouseState readMouse();

// For the window procedure: takes in a mouse message (others are left alone).
void trackMouse(UINT message, WPARAM wParam, LPARAM lParam);
