// JSON text as the command line writes it.
#ifndef TESSELLA_CLI_JSON_H_
#define TESSELLA_CLI_JSON_H_

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace TessellaCli {

// Appends text as a JSON string: bytes copied as they are, except that '"', '\' and control
// characters are escaped and each byte that begins no well-formed UTF-8 sequence becomes U+FFFD,
// so the result is always valid UTF-8.
void AppendJsonString(std::string& out, std::string_view text);
std::string Quoted(std::string_view text);

// Writes records and structures as the JSON objects that export and show print (the form is
// described in kJsonForm). A reference whose hash names no loaded record keeps no hash in memory,
// so its hash is read from the record's file below dataDir.
class JsonWriter {
 public:
  explicit JsonWriter(std::filesystem::path dataDir);
  ~JsonWriter();
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  // Appends {"name", "type", "hash", "file", "fields"} for the record.
  void AppendRecord(uint64_t record, std::string& out);
  // Appends the structure as an object of its fields, with "__type" where it is polymorphic.
  void AppendStructure(uint64_t structure, std::string& out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_JSON_H_
