#include "support/log_capture.h"

#include <sstream>

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

std::vector<std::string> LogCapture::Texts(int32_t level) const {
  std::vector<std::string> texts;
  for (const LogLine& line : lines_) {
    if (line.level == level) texts.push_back(line.text);
  }
  return texts;
}

std::vector<LogLine> LogLines(const std::string& shorthand) {
  std::vector<LogLine> lines;
  std::istringstream in(shorthand);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    const char kind = line[0];
    const std::string text = line.size() > 2 ? line.substr(2) : "";
    if (kind == 'E') lines.push_back({2, "[Error] [Tessella] " + text});
    if (kind == 'M') lines.push_back({1, "[Message] [Tessella] " + text});
    if (kind == 'X') lines.push_back({3, "[Exception] [Tessella] " + text});
    if (kind != 'E' && kind != 'M' && kind != 'X') lines.push_back({0, "bad shorthand: " + line});
  }
  return lines;
}
