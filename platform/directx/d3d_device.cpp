#include "platform/directx/d3d_device.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/directx/d3d_geometry.h"
#include "platform/directx/d3d_texture.h"
#include "platform/directx/d3d_vertex_buffer.h"
#include "platform/directx/screen_capture.h"
#include "platform/directx/sdl_display.h"
#include "platform/stats/run_stats.h"

namespace platform::directx {
namespace {

// Where a vertex format keeps what the device reads: a position, then optionally a diffuse
// colour and one pair of texture coordinates.
struct VertexLayout {
  UINT size = 0;
  int diffuse = -1;  // byte offset, or -1
  int texture = -1;  // byte offset, or -1
};

bool layoutOf(DWORD format, VertexLayout& layout) {
  constexpr DWORD drawn = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  if ((format & D3DFVF_XYZ) == 0 || (format & ~drawn) != 0) return false;
  layout.size = 12;
  if ((format & D3DFVF_DIFFUSE) != 0) {
    layout.diffuse = static_cast<int>(layout.size);
    layout.size += 4;
  }
  if ((format & D3DFVF_TEX1) != 0) {
    layout.texture = static_cast<int>(layout.size);
    layout.size += 8;
  }
  return true;
}

float floatAt(const std::uint8_t* bytes) {
  float value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

SDL_Color colourOf(DWORD argb) {
  return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8), static_cast<Uint8>(argb),
                   static_cast<Uint8>(argb >> 24)};
}

}  // namespace

void holdDevice(Device& device) { device.AddRef(); }
void releaseDevice(Device& device) { device.Release(); }

Device::Device(IUnknown& direct3D, HWND window, const D3DPRESENT_PARAMETERS& parameters, bool software)
    : direct3D_(&direct3D),
      window_(window),
      parameters_(parameters),
      software_(software),
      world_(identityMatrix()),
      view_(identityMatrix()),
      projection_(identityMatrix()) {
  direct3D.AddRef();
  // Direct3D 8's defaults for what this device honours.
  renderState_[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderState_[D3DRS_LIGHTING] = TRUE;
  renderState_[D3DRS_ZENABLE] = parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  renderState_[D3DRS_ZWRITEENABLE] = TRUE;
  magFilter_.fill(D3DTEXF_POINT);
}

Device::~Device() {
  for (Texture*& texture : textures_) {
    if (texture != nullptr) std::exchange(texture, nullptr)->unbind();
  }
  if (stream_ != nullptr) std::exchange(stream_, nullptr)->unbind();
  backBuffer_.reset();
  if (!parameters_.Windowed) {
    setShownPicture(window_, ShownPicture{});
    leaveFullScreen(window_);
  }
  if (listener_ != 0) removeWindowListener(listener_);
  direct3D_->Release();
}

bool Device::open() {
  const bool fullScreen = !parameters_.Windowed;
  if (fullScreen && !takeFullScreen(window_)) return false;
  // A default presentation interval waits for the display's refresh, as does a windowed
  // device that copies in step with it.
  const bool vsync = fullScreen ? parameters_.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE
                                : parameters_.SwapEffect == D3DSWAPEFFECT_COPY_VSYNC;
  // Windowed, a size of 0 is the window's.
  backBuffer_ = openBackBuffer(window_, static_cast<int>(parameters_.BackBufferWidth),
                               static_cast<int>(parameters_.BackBufferHeight), vsync, software_, allTextures_);
  if (backBuffer_ == nullptr) return false;
  parameters_.BackBufferWidth = static_cast<UINT>(backBuffer_->width());
  parameters_.BackBufferHeight = static_cast<UINT>(backBuffer_->height());
  // Full screen, the back buffer is the display mode: the pointer moves over its pixels.
  if (fullScreen) {
    setShownPicture(window_, ShownPicture{backBuffer_->width(), backBuffer_->height(), Placement::keepingAspect});
  }
  listener_ = addWindowListener([this](HWND window, WindowChange change) { windowChanged(window, change); });
  return true;
}

void Device::windowChanged(HWND window, WindowChange change) {
  if (window != window_ || change != WindowChange::destroying) return;
  // The renderer and its textures go before the window does.
  backBuffer_.reset();
  window_ = nullptr;
}

void Device::textureMade(Texture& texture) { allTextures_.push_back(&texture); }

void Device::pictureLocked(int width, int height) {
  if (pictureSeen_ || parameters_.Windowed || window_ == nullptr) return;
  pictureSeen_ = true;
  frameSizeChosen(window_, width, height);
}

void Device::textureGone(Texture& texture) {
  allTextures_.erase(std::remove(allTextures_.begin(), allTextures_.end(), &texture), allTextures_.end());
}

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA* pDirtyRegion) {
  // The whole back buffer goes to the device's own window.
  if (pSourceRect != nullptr || pDestRect != nullptr || hDestWindowOverride != nullptr || pDirtyRegion != nullptr) {
    return D3DERR_INVALIDCALL;
  }
  if (inScene_) return D3DERR_INVALIDCALL;
  if (backBuffer_ == nullptr) return D3DERR_DEVICELOST;
  const HRESULT result = backBuffer_->present();
  if (result == D3D_OK) {
    screenShown();
    platform::stats::framePresented(backBuffer_->shownNs());
  }
  return result;
}

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DTexture8** ppTexture) {
  if (ppTexture == nullptr) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  // One level, 32-bit texels, in the managed pool: the textures this device offers.
  if (Width == 0 || Height == 0 || Levels > 1 || Usage != 0) return D3DERR_INVALIDCALL;
  if (Format != D3DFMT_A8R8G8B8 && Format != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
  if (Pool != D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if (backBuffer_ == nullptr) return D3DERR_INVALIDCALL;
  auto* texture = new Texture(*this, Width, Height);
  if (!backBuffer_->holds(*texture)) {
    texture->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer8** ppVertexBuffer) {
  if (ppVertexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = nullptr;
  VertexLayout layout;
  if (Length == 0 || (FVF != 0 && layoutOf(FVF, layout) && Length < layout.size)) return D3DERR_INVALIDCALL;
  if (Pool != D3DPOOL_DEFAULT && Pool != D3DPOOL_MANAGED && Pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = new VertexBuffer(*this, Length);
  return D3D_OK;
}

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
  if (State == D3DTS_WORLD) world_ = *pMatrix;
  if (State == D3DTS_VIEW) view_ = *pMatrix;
  if (State == D3DTS_PROJECTION) projection_ = *pMatrix;
  return D3D_OK;  // other transforms are kept by nothing this device draws
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (static_cast<DWORD>(State) >= renderStates) return D3DERR_INVALIDCALL;
  renderState_[State] = Value;
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
  if (Stage >= stages) return D3DERR_INVALIDCALL;
  auto* texture = dynamic_cast<Texture*>(pTexture);
  if (pTexture != nullptr && (texture == nullptr || &texture->device() != this)) return D3DERR_INVALIDCALL;
  if (texture != nullptr) texture->bind();
  if (Texture* old = std::exchange(textures_[Stage], texture)) old->unbind();
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= stages) return D3DERR_INVALIDCALL;
  if (Type == D3DTSS_MAGFILTER) magFilter_[Stage] = Value;
  return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD Handle) {
  vertexFormat_ = Handle;  // a flexible vertex format; checked when drawing
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) {
  if (StreamNumber != 0) return D3DERR_INVALIDCALL;  // a device with one vertex stream
  auto* buffer = dynamic_cast<VertexBuffer*>(pStreamData);
  if (pStreamData != nullptr && (buffer == nullptr || &buffer->device() != this)) return D3DERR_INVALIDCALL;
  if (buffer != nullptr) buffer->bind();
  if (VertexBuffer* old = std::exchange(stream_, buffer)) old->unbind();
  stride_ = Stride;
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  if (!inScene_) return D3DERR_INVALIDCALL;
  const std::uint64_t count = verticesFor(PrimitiveType, PrimitiveCount);
  VertexLayout layout;
  if (count == 0 || stream_ == nullptr || !layoutOf(vertexFormat_, layout) || stride_ < layout.size) {
    return D3DERR_INVALIDCALL;
  }
  // Divided rather than multiplied: 2^34 vertices of up to 2^32 bytes overflow even 64 bits.
  if (std::uint64_t{StartVertex} + count > stream_->size() / stride_) return D3DERR_INVALIDCALL;
  if (backBuffer_ == nullptr) return D3D_OK;  // the window is gone: nothing to draw on
  return drawTriangles(PrimitiveType, StartVertex, PrimitiveCount);
}

HRESULT Device::drawTriangles(D3DPRIMITIVETYPE type, UINT start, UINT primitives) {
  VertexLayout layout;
  layoutOf(vertexFormat_, layout);
  const D3DMATRIX transform = multiply(multiply(world_, view_), projection_);
  const auto width = static_cast<float>(parameters_.BackBufferWidth);
  const auto height = static_cast<float>(parameters_.BackBufferHeight);
  // With lighting on and no lights, a vertex's colour is the (black) ambient light.
  const bool lit = renderState_[D3DRS_LIGHTING] != FALSE;

  const bool linear = magFilter_[0] != D3DTEXF_POINT && magFilter_[0] != D3DTEXF_NONE;

  triangles_.clear();
  const std::uint8_t* vertices = stream_->data() + static_cast<std::size_t>(start) * stride_;
  for (UINT t = 0; t < primitives; ++t) {
    const std::array<UINT, 3> corners = triangleOf(type, t);
    SDL_Vertex triangle[3];
    ScreenPoint points[3];
    bool drawn = true;
    for (int k = 0; k < 3 && drawn; ++k) {
      const std::uint8_t* vertex = vertices + static_cast<std::size_t>(corners[k]) * stride_;
      const ClipPosition position =
          transformPoint(floatAt(vertex), floatAt(vertex + 4), floatAt(vertex + 8), transform);
      drawn = inDepthRange(position);
      points[k] = toViewport(position, width, height);
      DWORD diffuse = 0xFFFFFFFF;
      if (layout.diffuse >= 0) std::memcpy(&diffuse, vertex + layout.diffuse, 4);
      triangle[k].position = SDL_FPoint{points[k].x, points[k].y};
      triangle[k].color = lit ? SDL_Color{0, 0, 0, 255} : colourOf(diffuse);
      triangle[k].tex_coord = layout.texture >= 0
                                  ? SDL_FPoint{floatAt(vertex + layout.texture), floatAt(vertex + layout.texture + 4)}
                                  : SDL_FPoint{0.0f, 0.0f};
    }
    if (!drawn || culled(renderState_[D3DRS_CULLMODE], points[0], points[1], points[2])) continue;
    triangles_.insert(triangles_.end(), triangle, triangle + 3);
  }
  if (triangles_.empty()) return D3D_OK;
  return backBuffer_->draw(triangles_, textures_[0], linear);
}

}  // namespace platform::directx
