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

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
