#include "tests/support/directx_mocks.h"

DirectXFactory directXFactory;

IDirect3D8* WINAPI Direct3DCreate8(UINT SDKVersion) {
  directXFactory.direct3DVersionAsked = SDKVersion;
  return directXFactory.direct3D;
}

HRESULT WINAPI DirectDrawCreateEx(GUID* lpGUID, LPVOID* lplpDD, REFIID iid, IUnknown* pUnkOuter) {
  ++directXFactory.directDrawCalls;
  directXFactory.directDrawIidAsked = iid;
  if (lpGUID != nullptr || pUnkOuter != nullptr) return DDERR_INVALIDPARAMS;
  if (directXFactory.directDrawResult != DD_OK) return directXFactory.directDrawResult;
  *lplpDD = directXFactory.directDraw;
  return DD_OK;
}
