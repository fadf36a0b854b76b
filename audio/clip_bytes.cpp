#include "audio/clip_bytes.h"

#include <mutex>
#include <utility>

namespace {

std::mutex heldMutex;
// Never destroyed: a clip may sound while the process ends, and a block still held then is
// reachable, not lost.
std::vector<std::vector<unsigned char>>& held() {
  static auto* blocks = new std::vector<std::vector<unsigned char>>;
  return *blocks;
}

}  // namespace

ClipBytes holdClipBytes(std::vector<unsigned char> bytes) {
  const std::lock_guard<std::mutex> lock(heldMutex);
  held().push_back(std::move(bytes));
  return {held().back().data(), held().back().size()};
}

void releaseClipBytes() {
  const std::lock_guard<std::mutex> lock(heldMutex);
  held().clear();
  held().shrink_to_fit();
}
