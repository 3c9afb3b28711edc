#include <gtest/gtest.h>

#include "support/log_capture.h"
#include "support/memory_files.h"
#include "tessella.h"

namespace {

TEST(DatabaseFrame, LoadWithoutAFileCallbackFailsBeforeReadingAnythingAndCloseIsHarmless) {
  LogCapture capture;
  MemoryFiles files;
  files.Add("a.sch", "struct A { int32 x; };");
  const char* schema[] = {"a.sch"};
  EXPECT_FALSE(DB_Load(MemoryFiles::Loader(), nullptr, nullptr, 1, schema, 0, nullptr));
  EXPECT_FALSE(DB_Load(nullptr, MemoryFiles::Sizer(), nullptr, 1, schema, 0, nullptr));
  DB_Close();
  DB_Close();
  EXPECT_TRUE(files.SizeRequests().empty());
  EXPECT_TRUE(files.LoadRequests().empty());
  const std::string line =
      "X File(Database) Line(411) Function(Database::CDatabase::Load) - FileSizer or FileLoader "
      "was not provided on DLL initialization.";
  EXPECT_EQ(capture.Lines(), LogLines(line + "\n" + line));
}

}  // namespace
