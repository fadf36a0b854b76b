// IDirect3DVertexBuffer8: vertices in plain memory, locked for writing, read by the device
// when it draws.
#pragma once

#include <d3d8.h>

#include <cstdint>
#include <vector>

#include "platform/directx/d3d_resource.h"

namespace platform::directx {

class VertexBuffer final : public DeviceResource<IDirect3DVertexBuffer8> {
 public:
  VertexBuffer(Device& owner, UINT length);

  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;

  const std::uint8_t* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }

 private:
  ~VertexBuffer() override = default;
  bool answers(REFIID iid) const override { return iid == IID_IDirect3DVertexBuffer8 || iid == IID_IDirect3DResource8; }

  std::vector<std::uint8_t> bytes_;
  int locks_ = 0;  // Direct3D 8 lets a vertex buffer be locked more than once
};

}  // namespace platform::directx
