// IDirect3D8 and Direct3DCreate8: one adapter, the display, with a hardware device type.
#include <d3d8.h>

#include "platform/directx/com_object.h"
#include "platform/directx/d3d_device.h"
#include "platform/directx/layer_settings.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {
namespace {

constexpr UINT directX80Version = 120;  // D3D_SDK_VERSION of the DirectX 8.0 headers

bool isBackBufferFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

class Direct3D final : public ComObject<IDirect3D8> {
 public:
  explicit Direct3D(const LayerSettings& settings) : settings_(settings) {}

  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice8** ppReturnedDeviceInterface) override {
    if (ppReturnedDeviceInterface == nullptr || pPresentationParameters == nullptr) return D3DERR_INVALIDCALL;
    *ppReturnedDeviceInterface = nullptr;
    const D3DPRESENT_PARAMETERS& parameters = *pPresentationParameters;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    // No reference or pluggable software rasteriser is installed.
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    const DWORD processing = BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                              D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
      return D3DERR_INVALIDCALL;  // exactly one kind of vertex processing
    }
    const HWND window = parameters.hDeviceWindow != nullptr ? parameters.hDeviceWindow : hFocusWindow;
    if (sdlWindowOf(window) == nullptr || (!parameters.Windowed && sdlWindowOf(hFocusWindow) == nullptr)) {
      return D3DERR_INVALIDCALL;
    }
    if (parameters.SwapEffect < D3DSWAPEFFECT_DISCARD || parameters.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC ||
        parameters.BackBufferCount > 3) {
      return D3DERR_INVALIDCALL;
    }
    if (parameters.Windowed) {
      if (parameters.BackBufferFormat != D3DFMT_UNKNOWN && !isBackBufferFormat(parameters.BackBufferFormat)) {
        return D3DERR_NOTAVAILABLE;
      }
    } else {
      if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) return D3DERR_INVALIDCALL;
      if (!isBackBufferFormat(parameters.BackBufferFormat)) return D3DERR_NOTAVAILABLE;
    }
    if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;

    auto* device = new Device(*this, window, parameters, settings_.softwareDirect3D);
    if (!device->open()) {
      device->Release();
      return D3DERR_NOTAVAILABLE;
    }
    *ppReturnedDeviceInterface = device;
    return D3D_OK;
  }

 private:
  ~Direct3D() override = default;
  bool answers(REFIID iid) const override { return iid == IID_IDirect3D8; }

  LayerSettings settings_;
};

}  // namespace
}  // namespace platform::directx

IDirect3D8* WINAPI Direct3DCreate8(UINT SDKVersion) {
  if (SDKVersion != platform::directx::directX80Version && SDKVersion != D3D_SDK_VERSION) return nullptr;
  const platform::directx::LayerSettings settings = platform::directx::readLayerSettings();
  if (!settings.direct3D) return nullptr;
  return new platform::directx::Direct3D(settings);
}
