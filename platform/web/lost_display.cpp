// A page has no X server whose loss could end the program: nothing to watch.
#include "platform/win32/lost_display.h"

namespace platform {

void watchForLostDisplay() {}

}  // namespace platform
