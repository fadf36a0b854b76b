// Text from a file or a command line made safe to echo in a message: no byte of it can
// move the terminal's cursor, change its colours or break a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// In double quotes; a byte outside printable ASCII, a quote or a backslash as \xHH;
// cut after `limit` bytes of the text, with "..." after the closing quote.
std::string quotedText(std::string_view text, std::size_t limit = 32);
