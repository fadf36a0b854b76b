// What Direct3D resources (textures, vertex buffers) share: each holds a reference to its
// device, as in Direct3D, and the device's bindings (SetTexture, SetStreamSource) keep a
// resource alive without counting as references, so neither keeps the other for ever.
#pragma once

#include <d3d8.h>

#include "platform/directx/com_object.h"

namespace platform::directx {

class Device;
// Defined with the device: the counted reference a resource holds.
void holdDevice(Device& device);
void releaseDevice(Device& device);

template <typename Interface>
class DeviceResource : public ComObject<Interface> {
 public:
  Device& device() const { return *owner_; }
  void bind() { ++bindings_; }
  // The device lets go; a resource nobody else holds goes with it.
  void unbind() {
    if (--bindings_ == 0 && this->references() == 0) delete this;
  }

 protected:
  explicit DeviceResource(Device& owner) : owner_(&owner) { holdDevice(owner); }

  void lastReferenceDropped() override {
    Device& owner = *owner_;
    if (bindings_ == 0) delete this;
    releaseDevice(owner);  // last: it may take the device, which unbinds what it still holds
  }

 private:
  Device* owner_;
  int bindings_ = 0;
};

}  // namespace platform::directx
