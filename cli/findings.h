// What check reports beyond the library's own log lines: data a record holds or a record file
// says that the author should fix before the next save.
#ifndef TESSELLA_CLI_FINDINGS_H_
#define TESSELLA_CLI_FINDINGS_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "loading.h"

namespace TessellaCli {

// The kinds of finding, as check prints them in text and JSON.
inline constexpr const char* kRangeFinding = "range";                         // outside min..max
inline constexpr const char* kEnumFinding = "enum";                           // not an enumerable
inline constexpr const char* kReferenceFinding = "reference";                 // hash of no record
inline constexpr const char* kWeakPointerFinding = "weak-pointer";            // URL of nothing
inline constexpr const char* kUnknownAttributeFinding = "unknown-attribute";  // the save drops it
inline constexpr const char* kUnknownElementFinding = "unknown-element";      // the save drops it
inline constexpr const char* kUnclosedDeclarationFinding = "unclosed-declaration";  // schema end
inline constexpr const char* kZeroByteFinding = "zero-byte";  // the loader reads no further
inline constexpr const char* kRewriteFinding = "rewrite";     // the next save changes the data

struct Finding {
  std::string kind;
  std::string record;  // the record's name; empty for findings on a file's text
  std::string file;    // the record's or text's file, relative to the data directory
  uint32_t line = 0;   // findings on a file's text: the line, counted from 1; else 0
  std::string field;   // the field's path inside the record, as in "OnHit[1].Chance"
  std::string url;     // weak-pointer findings: the URL that resolves to nothing
  std::string message;
};

// Everything one run of check found.
struct CheckReport {
  std::filesystem::path dataDir;
  bool loaded = false;
  uint64_t recordCount = 0;
  std::vector<LibraryProblem> libraryProblems;
  std::vector<Finding> findings;
};

// Reads the loaded record through the library: numbers outside their field's declared range and
// enumeration values that are no enumerable of their enumeration, at any depth.
void CheckRecordValues(uint64_t record, std::vector<Finding>& findings);

// Reads the record's file below dataDir beside its schema and the loaded record: references whose
// hash names no loaded record, weak pointers whose URL resolves to nothing or to a structure it
// does not name, attributes or elements that no schema field reads (the next save would drop
// them), and values that the next save would write as other data than the file holds (a number
// text the reader cuts short, a number the save's digits do not carry, entries past what an
// array keeps).
void CheckRecordFile(uint64_t record, const std::filesystem::path& dataDir,
                     std::vector<Finding>& findings);

// Reads every schema and record file below dataDir as text, for what the library's loader passes
// over without a word: a zero byte (the loader reads no further) and a schema declaration that
// the file, up to its first zero byte, ends inside (the loader keeps what it read of it).
void CheckFileTexts(const std::filesystem::path& dataDir, std::vector<Finding>& findings);

// Prints the report as one JSON document on stdout.
void PrintCheckReportJson(const CheckReport& report);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_FINDINGS_H_
