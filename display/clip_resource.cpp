// The clips' loads through the archive-aware opener. Part of the display library, whose
// opener it uses: the display library comes before the clips when a program is linked.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio/audio_clip.h"
#include "audio/clip_bytes.h"
#include "display/resource.h"

namespace {

struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};

// The file's bytes as openResource finds it, held for the library; nothing when it is
// missing, unreadable or empty.
ClipBytes readClipBytes(const char* name) {
  if (name == nullptr) return {};
  const std::unique_ptr<std::FILE, StreamCloser> stream(openResource(name, "rb"));
  if (!stream) return {};
  std::vector<unsigned char> bytes;
  unsigned char buffer[16 * 1024];
  while (bytes.size() < maxClipBytes) {
    const std::size_t n = std::fread(buffer, 1, std::min(sizeof buffer, maxClipBytes - bytes.size()), stream.get());
    if (n == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  if (std::ferror(stream.get()) || bytes.empty()) return {};
  return holdClipBytes(std::move(bytes));
}

}  // namespace

void AudioClip::loadStreamResource(const char* name, HWND window) {
  const ClipBytes bytes = readClipBytes(name);
  if (bytes.data == nullptr) {
    handle = 0;  // the library's failure value: the clip plays nothing
    startTime = 0;
    return;
  }
  loadStreamMemory(bytes.data, static_cast<DWORD>(bytes.size), window);
}

void AudioClip::loadModuleResource(const char* name, HWND window) {
  const ClipBytes bytes = readClipBytes(name);
  if (bytes.data == nullptr) {
    handle = 0;
    startTime = 0;
    return;
  }
  loadModuleMemory(bytes.data, static_cast<DWORD>(bytes.size), window);
}
