#include "base/split_string.h"

namespace Database {

std::vector<std::string> SplitString(std::string_view text, std::string_view splitSet,
                                     std::string_view silentSet) {
  std::vector<std::string> tokens;
  ForEachToken(text, splitSet, silentSet, [&](std::string_view token) {
    tokens.emplace_back(token);
    return true;
  });
  return tokens;
}

}  // namespace Database
