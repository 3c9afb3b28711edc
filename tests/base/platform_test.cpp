#include "base/platform.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using namespace Database::Platform;

TEST(Platform, UuidTextIsLowerCaseHexInFiveGroups) {
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    const std::string text = NewUuidText();
    ASSERT_EQ(text.size(), 36u);
    for (size_t k = 0; k < text.size(); ++k) {
      if (k == 8 || k == 13 || k == 18 || k == 23) {
        EXPECT_EQ(text[k], '-');
      } else {
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(text[k])) &&
                    !std::isupper(static_cast<unsigned char>(text[k])))
            << text;
      }
    }
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 100u);
}

TEST(Platform, CompareNoCaseOrdersLikeStricmp) {
  EXPECT_EQ(CompareNoCase("Sword", "sWORD"), 0);
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
  EXPECT_GT(CompareNoCase("b", "A"), 0);
  EXPECT_LT(CompareNoCase("abc", "abcd"), 0);
  // Letters fold to lower case, as _stricmp folds them: '_' sorts before 'a' and 'A' alike.
  EXPECT_LT(CompareNoCase("_", "a"), 0);
  EXPECT_LT(CompareNoCase("_", "A"), 0);
  EXPECT_NE(CompareNoCase("\xC4", "\xE4"), 0) << "only ASCII letters fold, whatever the locale";
}

TEST(Platform, LargeBlocksAreZeroFilledAndWritable) {
  auto* block = static_cast<unsigned char*>(AllocateLargeBlock());
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 4096, 0u);
  for (size_t at = 0; at < kLargeBlockSize; at += 4096) ASSERT_EQ(block[at], 0) << at;
  EXPECT_EQ(block[kLargeBlockSize - 1], 0);
  block[0] = 1;
  block[kLargeBlockSize - 1] = 2;
  EXPECT_EQ(block[0] + block[kLargeBlockSize - 1], 3);
  FreeLargeBlock(block);
  FreeLargeBlock(nullptr);
}

TEST(Platform, RecordPathsUseForwardSlashesRelativeToTheCurrentDirectory) {
  EXPECT_EQ(NativeRecordPath("Libs\\Weapons\\Rifle.xml"), "Libs/Weapons/Rifle.xml");
  EXPECT_EQ(NativeRecordPath("\\Rifle.xml"), "./Rifle.xml");
  EXPECT_EQ(NativeRecordPath("Rifle.xml"), "Rifle.xml");
}

TEST(Platform, WritesReplacesAndRemovesFiles) {
  const std::string path = "platform_test_file.xml";
  ASSERT_TRUE(WriteTextFile(path, "first, longer content"));
  ASSERT_TRUE(WriteTextFile("\\" + path, "second"));
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "second");
  in.close();
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(RemoveFile(path));
  EXPECT_FALSE(WriteTextFile("no_such_directory/x.xml", "text"));
}

}  // namespace
