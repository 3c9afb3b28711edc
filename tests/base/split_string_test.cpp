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
    {"unterminated quote runs to the end", "x \"a;b", ";", "", "x \"a;b|"},
    {"quotes keep split bytes and end at a line feed", "a\"b;c\"d;e\"f\ng;h", ";", "",
     "a\"b;c\"d|e\"f|g|h|"},
    {"lines keep no empty tokens", "one\n\n\nfour\n", "\n", "", "one|four|"},
    {"split byte outside silent set with silent set given", "a.b[2].c", ".[]", "[",
     "a|.|b|2|]|.|c|"},
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
