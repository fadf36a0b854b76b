// Figures of a running program for measurements, off unless the environment names a file
// in KESTRIX_STATS: frames presented, start-up to the first frame, CPU per frame, memory,
// the tick timer's periods, how long a key press takes to reach the screen, and the
// refreshes a paced screen missed. Written as "name value" lines when the process exits,
// the way the tools write their files; a file that exists is replaced only when it is
// empty or holds earlier figures, and a failure is told on standard error. The hooks cost
// one relaxed load when off.
#pragma once

namespace platform::stats {

// The window layer saw a key go down (not an auto-repeat).
void keyPressed();
// The tick timer's callback is about to run, and has returned.
void tickStarted();
void tickEnded();
// A frame reached the screen (Direct3D Present, DirectDraw Flip), as the present returns.
// A paced screen that shows the frame at a refresh and returns later tells when it was
// shown (steady clock, ns); 0 is now.
void framePresented(long long shownNs = 0);
// A paced screen's picture came too late for the refresh it was meant for, and `count`
// refreshes passed without a new picture.
void refreshesMissed(long long count);

// Writes the figures now, for an end that skips the exit handlers (_exit).
void writeNow();

}  // namespace platform::stats
