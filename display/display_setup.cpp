// initDisplay: opens the screen on Direct3D 8 (a texture drawn as one full-screen quad) or
// on DirectDraw 7 (an exclusive mode of the frame's size at the first depth the display
// accepts).
#include <d3d8.h>
#include <ddraw.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "display/convert.h"
#include "display/display.h"
#include "display/fatal_error.h"
#include "display/release_and_clear.h"
#include "display/vecmath.h"

namespace {

// One corner of the screen quad: position, then texture coordinates.
struct QuadVertex {
  float x, y, z;
  float u, v;
};
static_assert(sizeof(QuadVertex) == 20);

#ifndef D3DPRESENT_RATE_DEFAULT
#define D3DPRESENT_RATE_DEFAULT 0  // missing from some SDK headers
#endif

constexpr UINT direct3DVersion = 120;  // the DirectX 8.0 SDK's D3D_SDK_VERSION
constexpr DWORD quadVertexFormat = D3DFVF_XYZ | D3DFVF_TEX1;
// The texture's side for a frame's side: the smallest power of two that holds it, as the
// oldest cards want (512×256 for 320×240).
UINT textureSide(int frameSide) { return std::bit_ceil(static_cast<UINT>(frameSide)); }
constexpr UINT vertexBufferBytes = 160;  // room for eight vertices; four are used

// A failed Direct3D set-up gives back what it had made, so nothing of it lingers once the
// program has fallen back to DirectDraw.
int failDirect3D(DisplayContext& context) {
  releaseAndClear(context.texture);
  releaseAndClear(context.vertexBuffer);
  releaseAndClear(context.device);
  releaseAndClear(context.direct3D);
  return -1;
}

D3DMATRIX toD3D(const Matrix4& m) { return std::bit_cast<D3DMATRIX>(m); }

int initDirect3D(DisplayContext& context) {
  context.direct3D = Direct3DCreate8(direct3DVersion);
  if (context.direct3D == nullptr) return failDirect3D(context);

  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = static_cast<UINT>(displaySettings.deviceWidth);
  parameters.BackBufferHeight = static_cast<UINT>(displaySettings.deviceHeight);
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = context.window;
  parameters.Windowed = FALSE;
  parameters.EnableAutoDepthStencil = FALSE;
  parameters.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
  parameters.Flags = 0;
  parameters.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
  parameters.FullScreen_PresentationInterval =
      displaySettings.waitForRefresh != 0 ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;
  if (FAILED(context.direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, context.window,
                                            D3DCREATE_MULTITHREADED | D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                            &parameters, &context.device))) {
    return failDirect3D(context);
  }
  IDirect3DDevice8& device = *context.device;

  device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device.SetRenderState(D3DRS_LIGHTING, FALSE);
  device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);

  const UINT textureWidth = textureSide(displaySettings.frameWidth);
  const UINT textureHeight = textureSide(displaySettings.frameHeight);
  if (device.CreateTexture(textureWidth, textureHeight, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &context.texture) !=
      D3D_OK) {
    return failDirect3D(context);
  }
  device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);

  if (FAILED(device.CreateVertexBuffer(vertexBufferBytes, 0, quadVertexFormat, D3DPOOL_DEFAULT,
                                       &context.vertexBuffer))) {
    return failDirect3D(context);
  }
  BYTE* data = nullptr;
  if (FAILED(context.vertexBuffer->Lock(0, 0, &data, 0))) return failDirect3D(context);

  // The frame fills the texture's top-left corner; the bottom-left vertex (y −1) carries
  // the largest v, so the frame's top row is at the top of the screen.
  const float z = std::bit_cast<float>(std::uint32_t{0x3F933333});  // 1.15
  const float u = static_cast<float>(displaySettings.frameWidth * (1.0 / textureWidth));
  const float v = static_cast<float>(displaySettings.frameHeight * (1.0 / textureHeight));
  const QuadVertex quad[4] = {
      {-1.0f, -1.0f, z, 0.0f, v},
      {-1.0f, 1.0f, z, 0.0f, 0.0f},
      {1.0f, -1.0f, z, u, v},
      {1.0f, 1.0f, z, u, 0.0f},
  };
  std::memcpy(data, quad, sizeof quad);
  context.vertexBuffer->Unlock();

  const D3DMATRIX identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  device.SetTransform(D3DTS_WORLD, &identity);

  const Vector3 eye{0.0f, 0.0f, -1.25f};
  const Vector3 at{0.0f, 0.0f, 1.0f};
  const Vector3 up{0.0f, 1.0f, 0.0f};
  Matrix4 view;
  matrixLookAtLH(&view, &eye, &at, &up);
  const D3DMATRIX viewMatrix = toD3D(view);
  device.SetTransform(D3DTS_VIEW, &viewMatrix);

  const float quarterPi = std::bit_cast<float>(std::uint32_t{0x3F490FDB});
  Matrix4 projection;
  matrixPerspectiveFovLH(&projection, quarterPi, 1.0f, 1.0f, 100.0f);
  const D3DMATRIX projectionMatrix = toD3D(projection);
  device.SetTransform(D3DTS_PROJECTION, &projectionMatrix);
  return 0;
}

// Fills a surface description as the SDK wants it: zeroed, with its own size.
DDSURFACEDESC2 emptyDescription() {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(DDSURFACEDESC2);
  return description;
}

void initDirectDraw(DisplayContext& context) {
  if (DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&context.directDraw), IID_IDirectDraw7, nullptr) !=
      DD_OK) {
    fatalError("DirectDrawCreateEx FAILED");
  }
  IDirectDraw7& directDraw = *context.directDraw;
  if (directDraw.SetCooperativeLevel(context.window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_MULTITHREADED) !=
      DD_OK) {
    fatalError("SetCooperativeLevel FAILED");
  }

  const auto width = static_cast<DWORD>(displaySettings.frameWidth);
  const auto height = static_cast<DWORD>(displaySettings.frameHeight);
  if (directDraw.SetDisplayMode(width, height, static_cast<DWORD>(displaySettings.displayDepth), 0, 0) != DD_OK) {
    bool accepted = false;
    for (int depth : {32, 24, 16, 8}) {
      displaySettings.displayDepth = depth;
      if (directDraw.SetDisplayMode(width, height, static_cast<DWORD>(depth), 0, 0) == DD_OK) {
        accepted = true;
        break;
      }
    }
    if (!accepted) fatalError("SetDisplayMode FAILED");
  }

  DDSURFACEDESC2 description = emptyDescription();
  description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  description.dwBackBufferCount = 1;
  description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (directDraw.CreateSurface(&description, &context.primarySurface, nullptr) != DD_OK) {
    fatalError("CreateSurface FAILED");
  }

  DDSCAPS2 backBufferCaps{};
  backBufferCaps.dwCaps = DDSCAPS_BACKBUFFER;
  if (context.primarySurface->GetAttachedSurface(&backBufferCaps, &context.backBuffer) != DD_OK) {
    fatalError("GetAttachedSurface FAILED");
  }

  // The off-screen surface takes the mode's pixel format; in AGP memory when the driver
  // offers it, else in system memory.
  description = emptyDescription();
  description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  description.dwWidth = width;
  description.dwHeight = height;
  description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_NONLOCALVIDMEM;
  if (directDraw.CreateSurface(&description, &context.offscreenSurface, nullptr) != DD_OK) {
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (directDraw.CreateSurface(&description, &context.offscreenSurface, nullptr) != DD_OK) {
      fatalError("ERROR al crear la off-screen surface");
    }
  }

  if (displaySettings.displayDepth == 16) {
    // The mode's green mask tells 5-6-5 from 5-5-5; the primary surface, in the mode's
    // format, tells it too. Where neither answers, the common 5-6-5 stands.
    description = emptyDescription();
    if (directDraw.GetDisplayMode(&description) != DD_OK) {
      description = emptyDescription();
      if (context.primarySurface->GetSurfaceDesc(&description) != DD_OK) description.ddpfPixelFormat.dwGBitMask = 0x7E0;
    }
    if (description.ddpfPixelFormat.dwGBitMask != 0x7E0) displaySettings.green6Bit = 0;
  } else if (displaySettings.displayDepth == 8) {
    createPalette332(context.directDraw, context.primarySurface);
  }
}

}  // namespace

int DisplayContext::initDisplay(int backendChoice, int width, int height) {
  const int frameWidth = displaySettings.frameWidth;
  const int frameHeight = displaySettings.frameHeight;
  if (frameWidth < 1 || frameHeight < 1 || frameWidth > maxFrameSide || frameHeight > maxFrameSide) {
    fatalError("ERROR: frame de %dx%d; cada lado va de 1 a %d", frameWidth, frameHeight, maxFrameSide);
  }
  displaySettings.backend = backendChoice;
  displaySettings.deviceWidth = width;
  displaySettings.deviceHeight = height;
  if (backendChoice == backendDirect3D) return initDirect3D(*this);
  if (backendChoice == backendDirectDraw) initDirectDraw(*this);
  return 0;
}
