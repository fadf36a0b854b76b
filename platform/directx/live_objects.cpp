#include "platform/directx/live_objects.h"

namespace platform::directx {
namespace {
int count = 0;  // main thread only, like every object of the layer
}  // namespace

int liveObjects() { return count; }
void liveObjectMade() { ++count; }
void liveObjectGone() { --count; }

}  // namespace platform::directx
