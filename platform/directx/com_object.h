// Reference counting and interface queries shared by the layer's DirectDraw and Direct3D
// objects: AddRef, Release and QueryInterface as COM defines them.
#pragma once

#include <unknwn.h>

#include "platform/directx/live_objects.h"

namespace platform::directx {

template <typename Interface>
class ComObject : public Interface {
 public:
  ComObject() { liveObjectMade(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || answers(iid)) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

  ULONG AddRef() override { return ++references_; }

  ULONG Release() override {
    if (references_ == 0) return 0;  // one Release too many: nothing left to drop
    const ULONG left = --references_;
    if (left == 0) lastReferenceDropped();
    return left;
  }

  ULONG references() const { return references_; }

 protected:
  virtual ~ComObject() { liveObjectGone(); }

  // The interface ids this object answers besides IUnknown.
  virtual bool answers(REFIID iid) const = 0;
  // What the last Release does; most objects simply go.
  virtual void lastReferenceDropped() { delete this; }

 private:
  ULONG references_ = 1;
};

}  // namespace platform::directx
