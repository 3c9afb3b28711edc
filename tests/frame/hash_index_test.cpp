#include "frame/hash_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Hash(size_t index) { return "00000000-0000-4000-8000-" + std::to_string(index); }

TEST(HashIndex, FindsWhatWasAssignedThroughGrowthReplacementAndClearing) {
  Database::HashIndex index;
  // Enough texts to grow the table several times; they share a long prefix.
  constexpr size_t kCount = 5000;
  for (size_t i = 0; i < kCount; ++i) index.Assign(Hash(i), i + 1);
  EXPECT_EQ(index.Size(), kCount);
  for (size_t i = 0; i < kCount; ++i) ASSERT_EQ(index.Find(Hash(i)), i + 1) << i;
  EXPECT_EQ(index.Find(Hash(kCount)), 0u);
  EXPECT_EQ(index.Find("00000000-0000-4000-8000-"), 0u) << "a prefix is another text";
  index.Clear();
  EXPECT_EQ(index.Size(), 0u);
  EXPECT_EQ(index.Find(Hash(1)), 0u);
  index.Assign("a", 1);
  index.Assign("", 2);
  index.Assign("a", 3);
  index.Reserve(1000);
  // Texts match exactly.
  EXPECT_EQ((std::vector<size_t>{index.Size(), index.Find("a"), index.Find(""), index.Find("A")}),
            (std::vector<size_t>{2, 3, 2, 0}));
}

}  // namespace
