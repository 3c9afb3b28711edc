#include "base/log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/log_capture.h"

namespace {

using Database::LogError;
using Database::LogException;
using Database::LogMessage;
using Database::LogSite;

TEST(Log, FormsAreExactAndLongTextsAreCutAtTheBufferEnd) {
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
      {1, "[Message] [Tessella] Records Loaded: 3"}};
  EXPECT_EQ(capture.Lines(), expected);

  capture.Clear();
  LogError("%s", std::string(3000, 'x').c_str());
  LogException(LogSite{"F", 1, "G"}, "%s", std::string(2000, 'y').c_str());
  ASSERT_EQ(capture.Lines().size(), 2u);
  EXPECT_EQ(capture.Lines()[0].text, "[Error] [Tessella] " + std::string(1023 - 19, 'x'));
  EXPECT_EQ(capture.Lines()[1].text.size(), 1023u);
}

std::vector<std::string> firstLines;
std::vector<std::string> secondLines;
void First(int32_t, const char* text) { firstLines.emplace_back(text); }
void Second(int32_t, const char* text) { secondLines.emplace_back(text); }

TEST(Log, CallbackIsReplacedAndCanBeSwitchedOff) {
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
