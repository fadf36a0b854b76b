// IUnknown, the base of every COM interface: reference counting and interface queries.
#pragma once

#include "guiddef.h"
#include "windef.h"
#include "winerror.h"

#define STDMETHODCALLTYPE

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  // Drops one reference; the object goes when the last one is dropped.
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;  // objects go through Release, never through delete
};
typedef IUnknown* LPUNKNOWN;
