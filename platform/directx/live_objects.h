// A count of the layer's live DirectDraw and Direct3D objects, so tests can see that a
// release left nothing behind.
#pragma once

namespace platform::directx {

// Objects made and not yet destroyed, of every kind.
int liveObjects();

void liveObjectMade();
void liveObjectGone();

}  // namespace platform::directx
