// Reads arbitrary bytes as a record file of the sample schema, writes the record back in record
// file form and reads that text again: the second reading must write the very same
// text, or log an error (the first reading may keep what cannot be written back, such as a record
// of an unknown type). A weak pointer whose URL names no field resolves to the record itself,
// whose URL is the empty text, and an empty URL reads back as no target: that is the record
// format's own rule, so attributes with an empty text are left out of the comparison.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tessella.h"

namespace {

// The record file form of the one record the text gives, or "" when it gives none.
std::string LoadAndWrite(const std::string& text) {
  fuzz::Load(fuzz::kSampleSchema, {{"fuzz.xml", text}});
  return DB_GetRecordCount() == 1 ? fuzz::Copy(DB_Export(DB_GetRecords()[0])) : std::string();
}

// The text without its attributes of the form ` name=""`.
std::string WithoutEmptyAttributes(std::string text) {
  for (size_t at = text.find("=\"\""); at != std::string::npos; at = text.find("=\"\"", at)) {
    const size_t space = text.find_last_of(" \t\n", at);
    if (space == std::string::npos) break;
    text.erase(space, at + 3 - space);
    at = space;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string written = LoadAndWrite(input);
  if (written.empty()) return 0;
  const uint64_t errors = fuzz::ErrorLines();
  const std::string rewritten = LoadAndWrite(written);
  if (fuzz::ErrorLines() == errors &&
      WithoutEmptyAttributes(rewritten) != WithoutEmptyAttributes(written)) {
    fuzz::Fail("a written record does not read back the same", input, written, rewritten);
  }
  return 0;
}
