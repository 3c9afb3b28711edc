// Captures the library's log lines for the lifetime of the object, so tests can assert whole
// lines. Only one capture may be active at a time.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct LogLine {
  int32_t level;
  std::string text;
  bool operator==(const LogLine&) const = default;
  friend void PrintTo(const LogLine& line, std::ostream* out) {
    *out << line.level << " " << line.text;
  }
};

// Expected lines written in shorthand, one per '\n': "E text" is an error, "M text" a message and
// "X text" an exception; the level and the "[Error] [Tessella] " style prefix are added.
std::vector<LogLine> LogLines(const std::string& shorthand);

class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::vector<LogLine>& Lines() const { return lines_; }
  // Texts of the lines with the given level.
  std::vector<std::string> Texts(int32_t level) const;
  void Clear() { lines_.clear(); }

 private:
  static void Receive(int32_t level, const char* text);
  std::vector<LogLine> lines_;
};
