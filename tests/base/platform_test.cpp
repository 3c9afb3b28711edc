#include "base/platform.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <string>

#include "support/scratch_directory.h"

namespace {

using namespace Database::Platform;
namespace fs = std::filesystem;

TEST(Platform, CompareNoCaseOrdersLikeStricmp) {
  // Letters fold to lower case, as _stricmp folds them: '_' sorts before 'a' and 'A' alike; only
  // ASCII letters fold, whatever the locale.
  const struct {
    const char* a;
    const char* b;
    int sign;
  } kCases[] = {{"Sword", "sWORD", 0}, {"apple", "Banana", -1}, {"b", "A", 1},
                {"abc", "abcd", -1},   {"_", "a", -1},          {"_", "A", -1},
                {"\xC4", "\xE4", -1}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    const int result = CompareNoCase(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign);
  }
}

TEST(Platform, SystemBlocksAreZeroFilledAndWritable) {
  for (const size_t size : {size_t{64} << 10, size_t{256} << 10, kLargeBlockSize}) {
    SCOPED_TRACE(size);
    auto* block = static_cast<unsigned char*>(AllocateSystemBlock(size));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % (size_t{64} << 10), 0u);
    for (size_t at = 0; at < size; at += 4096) ASSERT_EQ(block[at], 0) << at;
    EXPECT_EQ(block[size - 1], 0);
    block[size - 1] = 2;
    FreeSystemBlock(block, size);
  }
  FreeSystemBlock(nullptr, kLargeBlockSize);
}

TEST(Platform, WritesReplacesAndRemovesFilesAtEitherSeparator) {
#ifdef _WIN32
  const std::string native = "Libs\\Weapons\\Rifle.xml", rooted = ".\\Rifle.xml";
#else
  const std::string native = "Libs/Weapons/Rifle.xml", rooted = "./Rifle.xml";
#endif
  EXPECT_EQ(NativeRecordPath("Libs\\Weapons\\Rifle.xml"), native);
  EXPECT_EQ(NativeRecordPath("Libs/Weapons/Rifle.xml"), native);
  EXPECT_EQ(NativeRecordPath("\\Rifle.xml"), rooted);
  EXPECT_EQ(NativeRecordPath("/Rifle.xml"), rooted);
  EXPECT_EQ(NativeRecordPath("Rifle.xml"), "Rifle.xml");
  for (const std::string path : {"platform_test_file.xml",
                                 "platform_\xC3\x89p\xC3\xA9"
                                 "e \xE2\x9C\x93.xml"}) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(WriteTextFile(path, "first, longer content"));
    ASSERT_TRUE(WriteTextFile("\\" + path, "second"));
    EXPECT_EQ(ScratchDirectory::Read(path), "second");
    EXPECT_TRUE(RemoveFile(path));
    EXPECT_FALSE(RemoveFile(path));
  }
  EXPECT_FALSE(WriteTextFile("no_such_directory/x.xml", "text"));
}

#ifndef _WIN32
// True when a write in a child process whose files may hold 4 bytes reports failure.
bool FailsUnderFileSizeLimit(const std::string& path, const std::string& text) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4, 4};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(WriteTextFile(path, text) ? 1 : 0);
  }
  int status = -1;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

// A write that cannot finish leaves the old file byte for byte, and no temporary file behind; a
// read-only file is refused rather than replaced; a replaced file keeps its permission bits.
TEST(Platform, FailedWritesLeaveTheOldFile) {
  const std::string path = "platform_atomic.xml";
  ASSERT_TRUE(WriteTextFile(path, "old content"));
  const auto kReadWrite = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(path, kReadWrite);
#ifdef _WIN32
  // Windows has no per-process file-size limit to cut a write short; the read-only file and the
  // missing directory are the failures a test can cause there.
#else
  EXPECT_TRUE(FailsUnderFileSizeLimit(path, "a new text longer than the limit"));
#endif
  const fs::perms before = fs::status(path).permissions();
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(WriteTextFile(path, "refused"));
  EXPECT_EQ(ScratchDirectory::Read(path), "old content");
  fs::permissions(path, kReadWrite);
  ASSERT_TRUE(WriteTextFile(path, "new"));
  EXPECT_EQ(fs::status(path).permissions(), before);
  EXPECT_EQ(ScratchDirectory::Read(path), "new");
  for (const auto& entry : fs::directory_iterator(".")) {
    EXPECT_EQ(entry.path().filename().string().find(path + ".tmp"), std::string::npos);
  }
  EXPECT_TRUE(RemoveFile(path));
}

}  // namespace
