#include "tests/support/directx_mocks.h"

DirectXFactory directXFactory;

IDirect3D8* WINAPI Direct3DCreate8(UINT) { return directXFactory.direct3D; }

HRESULT WINAPI DirectDrawCreateEx(GUID*, LPVOID* lplpDD, REFIID, IUnknown*) {
  if (directXFactory.directDrawResult != DD_OK) return directXFactory.directDrawResult;
  *lplpDD = directXFactory.directDraw;
  return DD_OK;
}
