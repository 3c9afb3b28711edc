// How schema text is cut into lines and tokens, shared by the pre-pass and the parser so that
// both see the same tokens on the same line numbers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/split_string.h"

namespace Schema {

// Bytes that end a token: blanks, and the ten punctuation characters that are tokens of their
// own. The blanks are dropped.
inline constexpr std::string_view kTokenSplitSet = " \t\r;[]{}@*&,:";
inline constexpr std::string_view kTokenSilentSet = " \t\r";

// A token that begins with "//" starts a comment running to the end of its line.
inline bool IsCommentToken(const std::string& token) {
  return token.size() >= 2 && token[0] == '/' && token[1] == '/';
}

// Calls visit(lineNumber, tokens) for every line of the text, cut at each line feed. Lines are
// numbered from 1 and every line counts, an empty one included (the shared splitter never yields
// empty pieces, so the lines are cut here rather than with it). Stops early and returns false as
// soon as visit returns false; true when every line was visited.
template <class Visit>
bool ForEachLine(std::string_view text, Visit&& visit) {
  int lineNumber = 0;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    ++lineNumber;
    const std::vector<std::string> tokens =
        Database::SplitString(text.substr(begin, end - begin), kTokenSplitSet, kTokenSilentSet);
    if (!visit(lineNumber, tokens)) return false;
    begin = end + 1;
  }
  return true;
}

}  // namespace Schema
