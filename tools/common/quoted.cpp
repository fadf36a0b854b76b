#include "tools/common/quoted.h"

std::string quotedText(std::string_view text, std::size_t limit) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      out += static_cast<char>(byte);
    } else {
      out += {'\\', 'x', hex[byte >> 4], hex[byte & 15]};
    }
  }
  out += '"';
  if (text.size() > limit) out += "...";
  return out;
}
