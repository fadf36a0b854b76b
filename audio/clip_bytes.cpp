#include "audio/clip_bytes.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "display/resource.h"

namespace {

struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};

std::mutex heldMutex;
// Never destroyed: a clip may sound while the process ends, and a block still held then is
// reachable, not lost.
std::vector<std::vector<unsigned char>>& held() {
  static auto* blocks = new std::vector<std::vector<unsigned char>>;
  return *blocks;
}

}  // namespace

ClipBytes holdResourceBytes(const char* name) {
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
  const std::lock_guard<std::mutex> lock(heldMutex);
  held().push_back(std::move(bytes));
  return {held().back().data(), held().back().size()};
}

void releaseClipBytes() {
  const std::lock_guard<std::mutex> lock(heldMutex);
  held().clear();
  held().shrink_to_fit();
}
