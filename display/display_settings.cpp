#include "display/display.h"

DisplaySettings displaySettings;

namespace {
void doNothing() {}
}  // namespace

void (*exitHook)() = doNothing;

MessageHook messageHook = nullptr;
