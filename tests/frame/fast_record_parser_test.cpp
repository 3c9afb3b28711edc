#include "frame/fast_record_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A plain record text with one spot replaced by each of these: the fast parser takes the text
// exactly when the spot keeps it plain. The spot moves through every byte position of the
// words the scan reads, and to the very end, so that no lane of a word is missed.
TEST(FastRecordParser, TakesPlainTextsOnlyWhereverTheOddBytesSit) {
  struct Case {
    std::string spot;
    bool plain;
  } const cases[] = {
      {"a", true},
      {"\t", true},
      {"\n", true},
      {"\xc3\xa9", true},
      {"&amp;", true},
      {"&lt;&gt;", true},
      {"&quot;&apos;", true},
      {"\x7f", true},
      {"\x80\x9f\xff", true},
      {std::string(1, '\0'), false},
      {"\x01", false},
      {"\r", false},
      {"\x1f", false},
      {"\x0b", false},
      {"&", false},
      {"&#65;", false},
      {"&nbsp;", false},
      {"&amp", false},
      {"<!-- c -->", false},
      {"<?p?>", false},
      {"<![CDATA[x]]>", false},
  };
  Database::FastRecordParser parser;
  for (const Case& c : cases) {
    for (size_t pad = 0; pad < 20; ++pad) {
      const std::string text = "<Rec Name=\"" + std::string(pad, 'x') + "\">" +
                               std::string(pad % 9, ' ') + c.spot + "</Rec>";
      EXPECT_EQ(static_cast<bool>(parser.Parse(text)), c.plain) << c.spot << " after " << pad;
    }
    const std::string atEnd = "<Rec/>" + c.spot;
    const bool endsPlain = c.plain && c.spot.find_first_not_of("\t\n") == std::string::npos;
    EXPECT_EQ(static_cast<bool>(parser.Parse(atEnd)), endsPlain) << c.spot << " at the end";
  }
}

}  // namespace
