#include <gtest/gtest.h>

#include "support/log_capture.h"
#include "support/memory_files.h"
#include "tessella.h"

namespace {

constexpr const char* kMissingCallbacks =
    "[Exception] [Tessella] File(Database) Line(411) Function(Database::CDatabase::Load) - "
    "FileSizer or FileLoader was not provided on DLL initialization.";

TEST(DatabaseFrame, LoadWithoutAFileCallbackFailsBeforeReadingAnything) {
  LogCapture capture;
  MemoryFiles files;
  files.Add("a.sch", "struct A { int32 x; };");
  const char* schema[] = {"a.sch"};
  EXPECT_FALSE(DB_Load(MemoryFiles::Loader(), nullptr, nullptr, 1, schema, 0, nullptr));
  EXPECT_FALSE(DB_Load(nullptr, MemoryFiles::Sizer(), nullptr, 1, schema, 0, nullptr));
  EXPECT_TRUE(files.SizeRequests().empty());
  EXPECT_TRUE(files.LoadRequests().empty());
  const std::vector<LogLine> expected(2, LogLine{3, kMissingCallbacks});
  EXPECT_EQ(capture.Lines(), expected);
}

TEST(DatabaseFrame, CloseIsHarmlessWithNothingOpenAndWhenRepeated) {
  LogCapture capture;
  DB_Close();
  DB_Close();
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(DatabaseFrame, LoggingOffChangesNothingButTheLines) {
  RegisterForLogging(nullptr);
  EXPECT_FALSE(DB_Load(nullptr, nullptr, nullptr, 0, nullptr, 0, nullptr));
}

}  // namespace
