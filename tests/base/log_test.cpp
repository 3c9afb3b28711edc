#include "base/log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/log_capture.h"

namespace {

using Database::LogError;
using Database::LogException;
using Database::LogMessage;
using Database::LogSite;

TEST(Log, FormsAreExact) {
  LogCapture capture;
  LogException(LogSite{"Database", 411, "Database::CDatabase::Load"},
               "FileSizer or FileLoader was not provided on DLL initialization.");
  LogError("Schema file %s not found", "a.sch");
  LogMessage("Records Loaded: %d", 3);
  const std::vector<LogLine> expected = {
      {3,
       "[Exception] [Tessella] File(Database) Line(411) Function(Database::CDatabase::Load) - "
       "FileSizer or FileLoader was not provided on DLL initialization."},
      {2, "[Error] [Tessella] Schema file a.sch not found"},
      {1, "[Message] [Tessella] Records Loaded: 3"},
  };
  EXPECT_EQ(capture.Lines(), expected);
}

TEST(Log, LongTextIsCutAtTheBufferEnd) {
  LogCapture capture;
  const std::string longText(3000, 'x');
  LogError("%s", longText.c_str());
  ASSERT_EQ(capture.Lines().size(), 1u);
  const std::string& line = capture.Lines()[0].text;
  EXPECT_EQ(line.size(), 1023u);
  EXPECT_EQ(line.rfind("[Error] [Tessella] xxx", 0), 0u);
}

TEST(Log, LongExceptionTextIsCutAtTheBufferEnd) {
  LogCapture capture;
  const std::string longText(2000, 'y');
  LogException(LogSite{"F", 1, "G"}, "%s", longText.c_str());
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].text.size(), 1023u);
}

std::vector<std::string> firstLines;
std::vector<std::string> secondLines;
void First(int32_t, const char* text) { firstLines.emplace_back(text); }
void Second(int32_t, const char* text) { secondLines.emplace_back(text); }

TEST(Log, CallbackIsReplacedAndCanBeSwitchedOff) {
  firstLines.clear();
  secondLines.clear();
  RegisterForLogging(&First);
  LogMessage("one");
  RegisterForLogging(&Second);
  LogMessage("two");
  RegisterForLogging(nullptr);
  LogMessage("three");
  EXPECT_EQ(firstLines, std::vector<std::string>{"[Message] [Tessella] one"});
  EXPECT_EQ(secondLines, std::vector<std::string>{"[Message] [Tessella] two"});
}

}  // namespace
