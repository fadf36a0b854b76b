// The layer's own settings, which stand in for the machine's display hardware. Read from
// the environment, like SDL's own variables, each time a DirectDraw or Direct3D object is
// made:
//   KESTRIX_DIRECT3D=0          Direct3D is not available (Direct3DCreate8 answers null)
//   KESTRIX_DISPLAY_DEPTHS=16,8 the depths the display accepts (default 32,24,16,8;
//                               "none" accepts none)
//   KESTRIX_16BIT=555           the 16-bit mode is 5-5-5 (default 565)
//   KESTRIX_VIDEO_MEMORY=0      no off-screen surface fits in video memory
//   KESTRIX_DIRECT3D_SOFTWARE=0 Direct3D draws through SDL's renderer even where that
//                               renderer works on the CPU (as it does on a GPU)
#pragma once

namespace platform::directx {

struct LayerSettings {
  bool direct3D = true;
  bool depth32 = true;
  bool depth24 = true;
  bool depth16 = true;
  bool depth8 = true;
  bool rgb555 = false;
  bool videoMemory = true;
  bool softwareDirect3D = true;  // Direct3D may draw in software where the renderer would

  bool acceptsDepth(unsigned bits) const;
};

LayerSettings readLayerSettings();

}  // namespace platform::directx
