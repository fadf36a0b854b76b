#include "tools/trace/key_script.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "tools/common/quoted.h"

namespace {

bool sameWord(std::string_view word, std::string_view name) {
  if (word.size() != name.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(word[i])) != name[i]) return false;
  }
  return true;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '+' || c == '\r'; }

}  // namespace

bool parseTickKeys(std::string_view line, TickKeys& keys, std::string& error) {
  keys = TickKeys{};
  std::size_t i = 0;
  while (i < line.size()) {
    if (isSeparator(line[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < line.size() && !isSeparator(line[end])) ++end;
    const std::string_view word = line.substr(i, end - i);
    if (sameWord(word, "LEFT")) {
      keys.left = true;
    } else if (sameWord(word, "RIGHT")) {
      keys.right = true;
    } else if (sameWord(word, "UP")) {
      keys.up = true;
    } else if (sameWord(word, "SPACE")) {
      keys.space = true;
    } else {
      error = "unknown key " + quotedText(word) + " (the keys are LEFT, RIGHT, UP and SPACE)";
      return false;
    }
    i = end;
  }
  return true;
}

bool KeyScript::next(TickKeys& keys) {
  text_.clear();
  int c;
  while ((c = getc_unlocked(in_)) != EOF && c != '\n') {  // the stream is this reader's alone
    if (text_.size() == keyScriptLineMax) {
      throw KeyScriptError("line " + std::to_string(lineNumber_ + 1) + " is longer than " +
                           std::to_string(keyScriptLineMax) + " bytes");
    }
    text_ += static_cast<char>(c);
  }
  if (c == EOF) {
    if (std::ferror(in_) != 0) throw std::runtime_error(std::string("cannot read the key script: ") + std::strerror(errno));
    if (text_.empty()) return false;  // the end, or a last line without its line end
  }
  ++lineNumber_;
  std::string error;
  if (!parseTickKeys(text_, keys, error)) throw KeyScriptError("line " + std::to_string(lineNumber_) + ": " + error);
  return true;
}
