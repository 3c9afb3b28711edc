#include "base/log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/log_capture.h"

namespace {

// The line forms are pinned by every test that compares LogLines.
TEST(Log, LongTextsAreCutAtTheBufferEnd) {
  LogCapture capture;
  Database::LogError("%s", std::string(3000, 'x').c_str());
  Database::LogException(Database::LogSite{"F", 1, "G"}, "%s", std::string(2000, 'y').c_str());
  ASSERT_EQ(capture.Lines().size(), 2u);
  EXPECT_EQ(capture.Lines()[0].text, "[Error] [Tessella] " + std::string(1023 - 19, 'x'));
  EXPECT_EQ(capture.Lines()[1].text.size(), 1023u);
}

std::vector<std::string> received;
void Receive(int32_t, const char* text) { received.emplace_back(text); }

// Every test's log capture replaces the callback; a null one switches logging off.
TEST(Log, CallbackCanBeSwitchedOff) {
  RegisterForLogging(&Receive);
  Database::LogMessage("one");
  RegisterForLogging(nullptr);
  Database::LogMessage("two");
  EXPECT_EQ(received, std::vector<std::string>{"[Message] [Tessella] one"});
}

}  // namespace
