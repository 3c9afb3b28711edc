#include "base/compact_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Database::CompactText;

std::string Letters(size_t length) {
  std::string text(length, 'a');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

// Texts on both sides of the in-place limit keep their characters and closing NUL through every
// copy, move and assignment between the two forms; a moved-from text is empty (the sanitizers
// report a double free or a leak).
TEST(CompactText, KeepsItsCharactersInPlaceAndOnTheHeap) {
  const size_t lengths[] = {0, 1, CompactText::kInPlace, CompactText::kInPlace + 1, 300};
  for (const size_t length : lengths) {
    for (const size_t other : lengths) {
      SCOPED_TRACE(std::to_string(length) + " over " + std::to_string(other));
      const std::string expected = Letters(length);
      const CompactText original(expected);
      EXPECT_EQ(original, expected);
      EXPECT_EQ(original.size(), length);
      EXPECT_EQ(std::strlen(original.c_str()), length);

      CompactText copy(Letters(other));
      copy = original;
      EXPECT_EQ(copy, original);
      CompactText moved(Letters(other));
      moved = std::move(copy);
      EXPECT_EQ(moved.view(), expected);
      EXPECT_TRUE(copy.empty());
      EXPECT_STREQ(copy.c_str(), "");
      CompactText constructed(std::move(moved));
      EXPECT_EQ(constructed.str(), expected);
      constructed = static_cast<const CompactText&>(constructed);
      EXPECT_EQ(constructed, original);
      EXPECT_EQ(length == other, CompactText(Letters(other)) == original);
    }
  }
  EXPECT_TRUE(CompactText(static_cast<const char*>(nullptr)).empty());
}

// A vector moving its texts as it grows keeps every one intact.
TEST(CompactText, SurvivesTheMovesOfAGrowingArray) {
  std::vector<CompactText> texts;
  for (size_t i = 0; i < 100; ++i) texts.emplace_back(Letters(i));
  for (size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(texts[i], Letters(i)) << i;
}

}  // namespace
