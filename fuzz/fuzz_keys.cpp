// Fuzzes the key-script reader of kestrix-trace and kestrix-snapshot (tools/trace/key_script.h)
// with any bytes as a script. A refused line ends the script with a short, printable message:
// no byte of a script reaches the terminal raw.
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
  try {
    KeyScript script(stream);
    for (TickKeys keys; script.next(keys);) {
    }
  } catch (const KeyScriptError& refusal) {
    const char* message = refusal.what();
    if (std::strlen(message) > 256) std::abort();  // at most 32 bytes echoed, each in at most 4 characters
    for (; *message != '\0'; ++message) if (*message < 0x20 || *message > 0x7E) std::abort();
  }
  std::fclose(stream);
  return 0;
}
