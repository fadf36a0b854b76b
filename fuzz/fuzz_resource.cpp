// Fuzzes the archive-aware opener over any archive. The input is the requested name (the
// bytes up to the first newline, at most 40) followed by the archive's bytes, which are
// written to "fuzz.pak" in a fresh folder of the fuzzer's own. The stream handed out is read
// to its end (at most 64 KiB), then the same name goes through loadPcx, which opens it the
// same way and must close it whether or not it takes the picture.
//
// '/' and '\' in names become '_', so that the plain-file fallback stays in that folder and
// never meets a device that blocks. Since the fuzzer works in that folder, give it corpus
// and artifact paths that are absolute.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "display/resource.h"

namespace {

std::filesystem::path folder;

void removeFolder() {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  folder = pattern;
  std::filesystem::current_path(folder);
  std::atexit(removeFolder);
  // A plain file that names in any case can fall back to.
  if (std::FILE* plain = std::fopen("fondo.pcx", "wb")) {
    std::fputs("plain", plain);
    std::fclose(plain);
  }
  archivePath = "fuzz.pak";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t nameLength = 0;
  while (nameLength < size && nameLength < 40 && data[nameLength] != '\n') ++nameLength;
  std::string name(reinterpret_cast<const char*>(data), nameLength);
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  const std::size_t archiveStart = nameLength < size ? nameLength + 1 : size;

  std::FILE* archive = std::fopen("fuzz.pak", "wb");
  if (archive == nullptr) std::abort();
  std::fwrite(data + archiveStart, 1, size - archiveStart, archive);
  std::fclose(archive);

  std::vector<char> request(name.begin(), name.end());
  request.push_back('\0');
  if (std::FILE* stream = openResource(request.data(), "rb")) {
    char block[4096];
    std::size_t total = 0;
    for (std::size_t n; total < 65536 && (n = std::fread(block, 1, sizeof block, stream)) > 0;) total += n;
    std::fclose(stream);
  }

  std::vector<char> again(name.begin(), name.end());
  again.push_back('\0');
  std::vector<std::uint32_t> pixels(256);
  try {
    loadPcx(again.data(), pixels.data(), pixels.size() * 4, nullptr);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
