// The fast reader of record files. It parses a record text with the fast XML parser when the text
// keeps to the plain form the library itself writes, and when the result is certain to be what the
// reference parser makes of the same text: the same elements, attributes and values in the same
// order. Any other text, and any text the fast parser rejects, is left to the reference parser,
// so that every error and its message stays the reference parser's.
#pragma once

#include <pugixml.hpp>
#include <string_view>
#include <vector>

namespace Database {

class FastRecordParser {
 public:
  // The root element of text, or an empty node when the reference parser must read the text.
  // The node is valid until the next Parse or Clear.
  pugi::xml_node Parse(std::string_view text);
  // Lets go of the last document's memory.
  void Clear();

 private:
  pugi::xml_document document_;
  std::vector<char> buffer_;  // the text being parsed, parsed in place
};

}  // namespace Database
