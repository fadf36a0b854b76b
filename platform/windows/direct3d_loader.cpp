// Direct3DCreate8 on Windows, reached through d3d8.dll at run time: mingw-w64 has no
// import library for it, and a missing DLL is then one more failed Direct3D step, after
// which the display library falls back to DirectDraw.
#include <d3d8.h>

#include "platform/windows/dll_function.h"

extern "C" IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  using Create = IDirect3D8*(WINAPI*)(UINT);
  // The DLL stays loaded for the whole process: the objects it makes run its code.
  static const Create create = dllFunction<Create>(LoadLibraryA("d3d8.dll"), "Direct3DCreate8");
  return create != nullptr ? create(sdkVersion) : nullptr;
}
