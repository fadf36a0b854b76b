// Gives back one reference to a COM object and clears the pointer that held it, so that
// nothing releases it twice.
#pragma once

template <typename T>
void releaseAndClear(T*& object) {
  if (object != nullptr) {
    object->Release();
    object = nullptr;
  }
}
