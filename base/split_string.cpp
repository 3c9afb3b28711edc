#include "base/split_string.h"

namespace Database {

std::vector<std::string> SplitString(std::string_view text, std::string_view splitSet,
                                     std::string_view silentSet) {
  std::vector<std::string> tokens;
  std::string current;
  bool inQuotes = false;
  for (const char c : text) {
    if (c == '"') inQuotes = !inQuotes;
    if (inQuotes) {
      if (c != '\n') {
        current += c;
        continue;
      }
      inQuotes = false;
    } else if (splitSet.find(c) == std::string_view::npos) {
      current += c;
      continue;
    }
    if (!current.empty()) tokens.push_back(std::move(current));
    if (!silentSet.empty() && silentSet.find(c) == std::string_view::npos) {
      tokens.emplace_back(1, c);
    }
    current.clear();
  }
  if (!current.empty()) tokens.push_back(std::move(current));
  return tokens;
}

}  // namespace Database
