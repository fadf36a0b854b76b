// Fuzzes the key-script reader of kestrix-trace and kestrix-snapshot
// (tools/trace/key_script.h) with any bytes as a script on a stream. A refused line ends the
// script with a KeyScriptError whose message is short and printable: no byte of a script
// reaches the terminal raw, however long or strange the script.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/trace/key_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> bytes(data, data + size);
  bytes.push_back(0);  // a valid address for an empty script; the stream ends before it
  std::FILE* stream = fmemopen(bytes.data(), size, "rb");
  if (stream == nullptr) return 0;
  KeyScript script(stream);
  try {
    for (TickKeys keys; script.next(keys);) {
    }
  } catch (const KeyScriptError& refusal) {
    const std::size_t length = std::strlen(refusal.what());
    if (length > 256) std::abort();  // at most 32 bytes echoed, each at most 4 characters long
    for (std::size_t i = 0; i < length; ++i) {
      if (refusal.what()[i] < 0x20 || refusal.what()[i] > 0x7E) std::abort();
    }
  }
  std::fclose(stream);
  return 0;
}
