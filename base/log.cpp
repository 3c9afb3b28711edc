#include "base/log.h"

#include <cstdarg>
#include <cstdio>

namespace Database {
namespace {

LogCallback& Callback() {
  static LogCallback callback = nullptr;
  return callback;
}

void Deliver(LogLevel level, const char* line) {
  if (LogCallback callback = Callback()) callback(static_cast<int32_t>(level), line);
}

// Message and error lines differ only in their tag.
void LogTagged(LogLevel level, const char* tag, const char* format, va_list args) {
  char text[kLogBufferSize];
  std::vsnprintf(text, sizeof text, format, args);
  char line[kLogBufferSize];
  // Truncation at the buffer's end is intended; only a formatting failure drops the line.
  if (std::snprintf(line, sizeof line, "[%s] [Tessella] %s", tag, text) < 0) return;
  Deliver(level, line);
}

}  // namespace

void SetLogCallback(LogCallback callback) { Callback() = callback; }

void LogMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogTagged(LogLevel::Message, "Message", format, args);
  va_end(args);
}

void LogError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogTagged(LogLevel::Error, "Error", format, args);
  va_end(args);
}

void LogException(const LogSite& site, const char* format, ...) {
  char text[kLogBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  char line[kLogBufferSize];
  if (std::snprintf(line, sizeof line, "[Exception] [Tessella] File(%s) Line(%d) Function(%s) - %s",
                    site.file, site.line, site.function, text) < 0) {
    return;
  }
  Deliver(LogLevel::Exception, line);
}

}  // namespace Database
