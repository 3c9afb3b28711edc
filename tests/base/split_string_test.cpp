#include "base/split_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  const char* name;
  std::string text;
  std::string split;
  std::string silent;
  const char* tokens;  // each followed by '|'
};

const std::string kSchemaSplit = std::string(" \t\r;[]{}@*&,:");
const std::string kSchemaSilent = " \t\r";

const Case kCases[] = {
    {"empty text", "", " ", "", ""},
    {"only separators", "   \t ", kSchemaSplit, kSchemaSilent, ""},
    {"silent set empty keeps no split byte", "a;b;;c", ";", "", "a|b|c|"},
    {"punctuation becomes tokens", "uint8[4]Runes;", kSchemaSplit, kSchemaSilent,
     "uint8|[|4|]|Runes|;|"},
    {"blanks are dropped", "  struct  Blade : ItemBase {", kSchemaSplit, kSchemaSilent,
     "struct|Blade|:|ItemBase|{|"},
    {"quotes stay inside the token", "desc: \"Speed, in m/s\"]", kSchemaSplit, kSchemaSilent,
     "desc|:|\"Speed, in m/s\"|]|"},
    {"quote inside a token continues it", "ab\"c d\"ef g", kSchemaSplit, kSchemaSilent,
     "ab\"c d\"ef|g|"},
    {"line feed ends a quoted run and splits even outside the split set", "a\"b c\nd e", " ", "",
     "a\"b c|d|e|"},
    {"unterminated quote runs to the end", "x \"a;b", ";", "", "x \"a;b|"},
    {"lines keep no empty tokens", "one\n\n\nfour\n", "\n", "", "one|four|"},
    {"split byte outside silent set with silent set given", "a.b[2].c", ".[]", "[",
     "a|.|b|2|]|.|c|"},
    {"comment marker is an ordinary byte", "//[desc: x]", kSchemaSplit, kSchemaSilent,
     "//|[|desc|:|x|]|"},
};

TEST(SplitString, Table) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string joined;
    for (const std::string& token : Database::SplitString(c.text, c.split, c.silent)) {
      joined += token + "|";
    }
    EXPECT_EQ(joined, c.tokens);
  }
}

}  // namespace
