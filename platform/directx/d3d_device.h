// IDirect3DDevice8 over SDL: scenes draw triangles through the fixed-function transforms
// into a back buffer of the asked size, and Present shows it on the window scaled keeping
// its aspect, with black bars (d3d_back_buffer.h: on a GPU's renderer, or in software).
// When the window is destroyed the device lets go of SDL; later drawing does nothing and
// Present answers D3DERR_DEVICELOST.
#pragma once

#include <SDL.h>
#include <d3d8.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/directx/com_object.h"
#include "platform/directx/d3d_back_buffer.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {

class Texture;
class VertexBuffer;

class Device final : public ComObject<IDirect3DDevice8> {
 public:
  // Holds a reference to the Direct3D object, as its devices do. `software`: the drawing
  // may go the software way (d3d_back_buffer.h).
  Device(IUnknown& direct3D, HWND window, const D3DPRESENT_PARAMETERS& parameters, bool software);
  // Takes the window (full screen unless windowed) and makes the renderer and back buffer.
  bool open();

  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                        IDirect3DTexture8** ppTexture) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer8** ppVertexBuffer) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
  HRESULT SetVertexShader(DWORD Handle) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) override;

  // For textures.
  void textureMade(Texture& texture);
  // A picture of width × height is written into a texture from its corner: the first one
  // sizes a development window (the frame).
  void pictureLocked(int width, int height);
  void textureGone(Texture& texture);

 private:
  static constexpr int stages = 8;
  static constexpr int renderStates = 256;

  ~Device() override;
  bool answers(REFIID iid) const override { return iid == IID_IDirect3DDevice8; }
  void windowChanged(HWND window, WindowChange change);
  HRESULT drawTriangles(D3DPRIMITIVETYPE type, UINT start, UINT primitives);

  IUnknown* direct3D_;
  HWND window_;
  D3DPRESENT_PARAMETERS parameters_;
  bool software_;
  int listener_ = 0;
  std::unique_ptr<BackBuffer> backBuffer_;  // null once the window is gone
  bool inScene_ = false;
  bool pictureSeen_ = false;

  std::array<DWORD, renderStates> renderState_{};
  std::array<DWORD, stages> magFilter_{};
  D3DMATRIX world_;
  D3DMATRIX view_;
  D3DMATRIX projection_;
  std::array<Texture*, stages> textures_{};
  VertexBuffer* stream_ = nullptr;
  UINT stride_ = 0;
  DWORD vertexFormat_ = 0;

  std::vector<Texture*> allTextures_;  // to let go of their SDL textures with a renderer
  std::vector<SDL_Vertex> triangles_;  // reused from draw to draw
};

}  // namespace platform::directx
