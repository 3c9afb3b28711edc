#include "support/log_capture.h"

#include "tessella.h"

namespace {
LogCapture* active = nullptr;
}  // namespace

LogCapture::LogCapture() {
  active = this;
  RegisterForLogging(&LogCapture::Receive);
}

LogCapture::~LogCapture() {
  RegisterForLogging(nullptr);
  active = nullptr;
}

void LogCapture::Receive(int32_t level, const char* text) {
  if (active) active->lines_.push_back({level, text});
}

std::vector<std::string> LogCapture::Texts() const {
  std::vector<std::string> texts;
  for (const LogLine& line : lines_) texts.push_back(line.text);
  return texts;
}

std::vector<std::string> LogCapture::Texts(int32_t level) const {
  std::vector<std::string> texts;
  for (const LogLine& line : lines_) {
    if (line.level == level) texts.push_back(line.text);
  }
  return texts;
}
