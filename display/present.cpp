// Frame presentation on the two back-ends, the DirectDraw surface restore, and the release
// of the display objects. Every failure here costs at most the current frame.
#include <d3d8.h>
#include <ddraw.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "display/convert.h"
#include "display/display.h"
#include "display/release_and_clear.h"

namespace {

RECT frameRect() { return RECT{0, 0, displaySettings.frameWidth, displaySettings.frameHeight}; }

// Copies the frame into the locked texture: in one piece when the rows lie back to back,
// else row by row at the texture's pitch, taken as a whole number of texels.
void uploadFrame(const std::uint32_t* frame, const D3DLOCKED_RECT& locked) {
  const auto rowBytes = static_cast<std::size_t>(displaySettings.frameWidth) * 4;
  const auto rows = static_cast<std::size_t>(displaySettings.frameHeight);
  auto* destination = static_cast<std::uint8_t*>(locked.pBits);
  if (static_cast<std::size_t>(locked.Pitch) == rowBytes) {
    std::memcpy(destination, frame, rowBytes * rows);
    return;
  }
  const auto pitch = static_cast<std::ptrdiff_t>(locked.Pitch & ~3);
  const auto* source = reinterpret_cast<const std::uint8_t*>(frame);
  for (std::size_t y = 0; y < rows; ++y) {
    std::memcpy(destination, source, rowBytes);
    source += rowBytes;
    destination += pitch;
  }
}

void presentDirect3D(DisplayContext& context, const std::uint32_t* frame) {
  IDirect3DDevice8& device = *context.device;
  if (device.BeginScene() != D3D_OK) return;

  // A frame abandoned after BeginScene still ends its scene, as Direct3D expects before the
  // next BeginScene.
  D3DLOCKED_RECT locked{};
  const RECT rect = frameRect();
  if (context.texture->LockRect(0, &locked, &rect, 0) != D3D_OK) {
    device.EndScene();
    return;
  }
  uploadFrame(frame, locked);
  if (context.texture->UnlockRect(0) != D3D_OK) {
    device.EndScene();
    return;
  }

  device.SetTexture(0, context.texture);
  device.SetStreamSource(0, context.vertexBuffer, 20);
  device.SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
  device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device.EndScene();
  device.Present(nullptr, nullptr, nullptr, nullptr);
}

void presentDirectDraw(DisplayContext& context, const std::uint32_t* frame) {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(DDSURFACEDESC2);
  const HRESULT locked = context.offscreenSurface->Lock(
      nullptr, &description, DDLOCK_WAIT | DDLOCK_WRITEONLY | DDLOCK_DISCARDCONTENTS, nullptr);
  if (locked != DD_OK) {
    // A lost off-screen surface is restored here too: nothing else would ever restore it,
    // and every later frame would be dropped.
    if (locked == DDERR_SURFACELOST) context.restoreSurfaces();
    return;
  }
  convertFrame(frame, description.lpSurface, description.lPitch);
  if (context.offscreenSurface->Unlock(nullptr) != DD_OK) return;
  context.flipToScreen();
}

}  // namespace

void DisplayContext::presentFrame(const std::uint32_t* frame) {
  if (displaySettings.backend == backendDirect3D) {
    presentDirect3D(*this, frame);
  } else if (displaySettings.backend == backendDirectDraw) {
    presentDirectDraw(*this, frame);
  }
}

void DisplayContext::flipToScreen() {
  // Neither call is asked to wait: a busy blitter or flip is asked again at once. The flip
  // waits for the refresh unless the program asked for frames shown at once.
  RECT rect = frameRect();
  for (;;) {
    const HRESULT result = backBuffer->BltFast(0, 0, offscreenSurface, &rect, DDBLTFAST_NOCOLORKEY);
    if (result == DD_OK) break;
    if (result == DDERR_SURFACELOST) {
      restoreSurfaces();
      return;
    }
    if (result != DDERR_WASSTILLDRAWING) return;
  }
  for (;;) {
    const HRESULT result = primarySurface->Flip(nullptr, displaySettings.waitForRefresh != 0 ? 0 : DDFLIP_NOVSYNC);
    if (result == DD_OK) return;
    if (result == DDERR_SURFACELOST) {
      restoreSurfaces();
      return;
    }
    if (result != DDERR_WASSTILLDRAWING) return;
  }
}

HRESULT DisplayContext::restoreSurfaces() {
  for (IDirectDrawSurface7* surface : {primarySurface, backBuffer, offscreenSurface}) {
    const HRESULT result = surface->Restore();
    if (result != DD_OK) return result;
  }
  return DD_OK;
}

HRESULT DisplayContext::restoreOrRelease() {
  if (displaySettings.backend == backendDirect3D) {
    // Cleared as they go, so that a second call releases nothing twice.
    releaseAndClear(texture);
    releaseAndClear(vertexBuffer);
    releaseAndClear(device);
    releaseAndClear(direct3D);
  } else if (displaySettings.backend == backendDirectDraw && directDraw != nullptr) {
    const HRESULT result = restoreSurfaces();
    if (result != DD_OK) return result;
    // The DirectDraw object takes its surfaces and palette with it.
    directDraw->Release();
    directDraw = nullptr;
  }
  return DD_OK;
}

DisplayContext::~DisplayContext() {
  restoreOrRelease();
  delete[] windowName;  // the constructor's copy; the window and its class are gone by now
}
