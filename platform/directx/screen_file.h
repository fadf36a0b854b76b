// KESTRIX_SCREEN_FILE=FILE: after every screen it shows, the layer writes that screen to FILE
// as a binary PPM picture (Direct3D: the back buffer at its own size, before it is scaled to
// the window; DirectDraw: the mode's picture in RGB, its palette applied). A check can then
// hold a program still (SIGSTOP), take a screenshot and compare it with the screen the
// program drew last. Each picture is written as the tools write their files (base/output_file.h),
// not flushed to disk. A FILE that exists and is neither empty nor a PPM picture (the archive,
// the program), or is not a regular file, is left as it was, with one line on standard error.
#pragma once

#include "platform/directx/screen_capture.h"

namespace platform::directx {

// True when the environment names a file, at process start.
bool screenFileWanted();
// Writes the image to the file; after a failure (reported once) writes nothing more.
void writeScreenFile(const ScreenImage& image);

}  // namespace platform::directx
