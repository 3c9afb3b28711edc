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

}  // namespace Database
