#include "display/plain_file.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "base/regular_file.h"

namespace fs = std::filesystem;

namespace {

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The name in `folder` that equals `wanted` ignoring case, the first in byte order.
std::optional<std::string> findIgnoringCase(const fs::path& folder, const std::string& wanted) {
  std::error_code error;
  std::optional<std::string> found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string candidate = it->path().filename().string();
    if (equalIgnoringAsciiCase(candidate, wanted) && (!found || candidate < *found)) found = std::move(candidate);
  }
  return found;
}

}  // namespace

std::FILE* openPlainFile(const char* name) {
  if (std::FILE* file = base::openRegularFile(name)) return file;

  const fs::path requested(name);
  fs::path resolved = requested.root_path();
  bool changed = false;
  for (const fs::path& part : requested.relative_path()) {
    fs::path next = resolved / part;
    std::error_code error;
    if (!fs::exists(next, error)) {
      const std::optional<std::string> match =
          findIgnoringCase(resolved.empty() ? fs::path(".") : resolved, part.string());
      if (!match) return nullptr;
      next = resolved / *match;
      changed = true;
    }
    resolved = std::move(next);
  }
  return changed ? base::openRegularFile(resolved.string().c_str()) : nullptr;
}
