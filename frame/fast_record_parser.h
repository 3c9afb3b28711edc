// The fast reader of record files. It parses a record text itself when the text keeps to the
// plain form the library itself writes, and when the result is certain to be what the reference
// parser makes of the same text: the same elements, attributes and values in the same order. Any
// other text is left to the reference parser, so that every error and its message stays the
// reference parser's.
#pragma once

#include <string_view>
#include <vector>

#include "data/xml_dom.h"

namespace Database {

class FastRecordParser {
 public:
  // The root element of text, or null when the reference parser must read the text. The element
  // and everything it leads to are valid until the next Parse or Clear.
  const PlainElement* Parse(std::string_view text);
  // Lets go of the last document's memory.
  void Clear();

 private:
  const PlainElement* ParseElements();
  bool ParseAttributes(char*& at, bool* selfClosing);

  std::vector<char> buffer_;  // the text being parsed, parsed in place
  std::vector<PlainElement> elements_;
  std::vector<PlainAttribute> attributes_;
};

}  // namespace Database
