#include "frame/fast_record_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The element as name(attribute=value ...)[children...], the way the reader walks it.
std::string Dump(const Database::PlainElement* element) {
  using Dom = Database::FastDom;
  std::string text = Dom::Name(element);
  text += '(';
  for (auto at = Dom::FirstAttribute(element); at; at = Dom::Next(at)) {
    text += std::string(Dom::NameOf(at)) + '=' + Dom::ValueOf(at) + (Dom::Next(at) ? " " : "");
  }
  text += ")[";
  for (auto child = Dom::FirstChild(element); child; child = Dom::NextSibling(child)) {
    text += Dump(child) + (Dom::NextSibling(child) ? " " : "");
  }
  return text + ']';
}

// Texts of the plain form read into their elements; every other text is left to the reference
// parser (an empty expectation).
TEST(FastRecordParser, ReadsThePlainFormAndLeavesTheRest) {
  struct Case {
    std::string text;
    std::string read;
  } const cases[] = {
      {"<R/>", "R()[]"},
      {"<R></R>\n", "R()[]"},
      {"<R a=\"1\" b='2'/>", "R(a=1 b=2)[]"},
      {"<R a=\"&lt;&amp;&gt;&quot;&apos;\" b=\"x&amp;amp;\"/>", "R(a=<&>\"' b=x&amp;)[]"},
      {"<R a='\"' b=\"'\" c=\"\t\n>\"/>", "R(a=\" b=' c=\t\n>)[]"},
      {"<R\n  a=\"\"\n/>", "R(a=)[]"},
      {"<R.x-1_ a=\"1\">\n\t<S/>\n<T b=\"2\"><U/></T>\n <S c=\"3\"></S>\n</R.x-1_>",
       "R.x-1_(a=1)[S()[] T(b=2)[U()[]] S(c=3)[]]"},
      {"<R><S/></R>", "R()[S()[]]"},
      {"<R>x</R>", ""},
      {"<R> <S/>x</R>", ""},
      {"<R/><R/>", ""},
      {"<R/>x", ""},
      {"<R></S>", ""},
      {"<R></R >", ""},
      {"<R><S></R></S>", ""},
      {"<R>", ""},
      {"<R a=\"1\"", ""},
      {"<R a=\"1\" a=\"2\"/>", ""},
      {"<R a = \"1\"/>", ""},
      {"<R a=\"1\"b=\"2\"/>", ""},
      {"<R a=1/>", ""},
      {"<R a=\"<\"/>", ""},
      {"<R a=\"1/>", ""},
      {"<R / >", ""},
      {"<R:x/>", ""},
      {"<R\xc3\xa9/>", ""},
      {"<R><1/></R>", ""},
      {"< R/>", ""},
  };
  Database::FastRecordParser parser;
  for (const Case& c : cases) {
    const Database::PlainElement* root = parser.Parse(c.text);
    EXPECT_EQ(root ? Dump(root) : "", c.read) << c.text;
  }
}

// Repeated attribute names are found among many attributes too, and nesting stops at its limit.
TEST(FastRecordParser, LeavesRepeatedNamesAndDeepNestingToTheReference) {
  std::string many = "<R";
  for (int i = 0; i < 100; ++i) many += " a" + std::to_string(i) + "=\"\"";
  Database::FastRecordParser parser;
  EXPECT_TRUE(parser.Parse(many + "/>"));
  EXPECT_FALSE(parser.Parse(many + " a57=\"\"/>"));

  const auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<E>";
    for (int i = 0; i < depth; ++i) text += "</E>";
    return text;
  };
  EXPECT_TRUE(parser.Parse(nested(64)));
  EXPECT_FALSE(parser.Parse(nested(65)));
}

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
      const std::string text = "<Rec Name=\"" + std::string(pad, 'x') + c.spot + "\">" +
                               std::string(pad % 9, ' ') + "</Rec>";
      EXPECT_EQ(static_cast<bool>(parser.Parse(text)), c.plain) << c.spot << " after " << pad;
    }
    const std::string atEnd = "<Rec/>" + c.spot;
    const bool endsPlain = c.plain && c.spot.find_first_not_of("\t\n") == std::string::npos;
    EXPECT_EQ(static_cast<bool>(parser.Parse(atEnd)), endsPlain) << c.spot << " at the end";
  }
}

}  // namespace
