// Logging: the three line forms every component reports through. Lines are formatted into two
// fixed 1024-byte buffers on the stack (longer text is cut at the buffer's end) and handed to the
// host's log callback; with no callback they are dropped. Nothing is written anywhere else.
#pragma once

#include <cstdint>

#include "tessella.h"

namespace Database {

enum class LogLevel : int32_t { Message = 1, Error = 2, Exception = 3 };

// The fixed source location an exception-level line names: a file label, a line number and a
// qualified function name, all part of the log format rather than of this build.
struct LogSite {
  const char* file;
  int32_t line;
  const char* function;
};

inline constexpr int kLogBufferSize = 1024;

#if defined(__GNUC__)
#define TESSELLA_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TESSELLA_PRINTF(fmt, args)
#endif

// Replaces the callback; null switches logging off.
void SetLogCallback(LogCallback callback);

// "[Message] [Tessella] %s"
void LogMessage(const char* format, ...) TESSELLA_PRINTF(1, 2);
// "[Error] [Tessella] %s"
void LogError(const char* format, ...) TESSELLA_PRINTF(1, 2);
// "[Exception] [Tessella] File(%s) Line(%d) Function(%s) - %s"
void LogException(const LogSite& site, const char* format, ...) TESSELLA_PRINTF(2, 3);

}  // namespace Database
