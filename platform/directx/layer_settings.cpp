#include "platform/directx/layer_settings.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace platform::directx {
namespace {

const char* setting(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;  // empty: as if unset
}

bool isOff(const char* value) { return value != nullptr && std::strcmp(value, "0") == 0; }

// A comma-separated list such as "16,8"; entries other than the four depths are ignored.
void readDepths(std::string_view list, LayerSettings& settings) {
  settings.depth32 = settings.depth24 = settings.depth16 = settings.depth8 = false;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    std::string_view entry = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    if (entry == "32") settings.depth32 = true;
    if (entry == "24") settings.depth24 = true;
    if (entry == "16") settings.depth16 = true;
    if (entry == "8") settings.depth8 = true;
  }
}

}  // namespace

bool LayerSettings::acceptsDepth(unsigned bits) const {
  switch (bits) {
    case 32: return depth32;
    case 24: return depth24;
    case 16: return depth16;
    case 8: return depth8;
    default: return false;
  }
}

LayerSettings readLayerSettings() {
  LayerSettings settings;
  settings.direct3D = !isOff(setting("KESTRIX_DIRECT3D"));
  if (const char* depths = setting("KESTRIX_DISPLAY_DEPTHS")) readDepths(depths, settings);
  if (const char* format = setting("KESTRIX_16BIT")) settings.rgb555 = std::strcmp(format, "555") == 0;
  settings.videoMemory = !isOff(setting("KESTRIX_VIDEO_MEMORY"));
  settings.softwareDirect3D = !isOff(setting("KESTRIX_DIRECT3D_SOFTWARE"));
  return settings;
}

}  // namespace platform::directx
