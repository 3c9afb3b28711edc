// The one tokenizer shared by the schema parser, the query parser and the URL resolver.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Database {

// Cuts text into tokens at the bytes of splitSet. A double quote flips an in-quotes flag; while
// it is set every byte (the quotes included) joins the current token, except a line feed, which
// clears the flag and splits. A split byte that is not in silentSet becomes a one-byte token of
// its own, unless silentSet is empty. Empty tokens are never produced.
std::vector<std::string> SplitString(std::string_view text, std::string_view splitSet,
                                     std::string_view silentSet);

// Calls visit with each token SplitString gives for the same arguments, in order, as a view into
// text (every token is a run of text's bytes), until visit returns false.
template <class Visit>
void ForEachToken(std::string_view text, std::string_view splitSet, std::string_view silentSet,
                  Visit&& visit) {
  size_t start = 0;
  bool inQuotes = false;
  for (size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '"') inQuotes = !inQuotes;
    if (inQuotes) {
      if (c != '\n') continue;
      inQuotes = false;
    } else if (splitSet.find(c) == std::string_view::npos) {
      continue;
    }
    if (at > start && !visit(text.substr(start, at - start))) return;
    if (!silentSet.empty() && silentSet.find(c) == std::string_view::npos &&
        !visit(text.substr(at, 1))) {
      return;
    }
    start = at + 1;
  }
  if (text.size() > start) visit(text.substr(start));
}

}  // namespace Database
