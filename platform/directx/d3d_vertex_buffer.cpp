#include "platform/directx/d3d_vertex_buffer.h"

namespace platform::directx {

VertexBuffer::VertexBuffer(Device& owner, UINT length) : DeviceResource(owner), bytes_(length) {}

HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD) {
  if (ppbData == nullptr) return D3DERR_INVALIDCALL;
  // Size 0 locks from the offset to the end.
  if (OffsetToLock > bytes_.size() || SizeToLock > bytes_.size() - OffsetToLock) return D3DERR_INVALIDCALL;
  *ppbData = bytes_.data() + OffsetToLock;
  ++locks_;
  return D3D_OK;
}

HRESULT VertexBuffer::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  return D3D_OK;
}

}  // namespace platform::directx
