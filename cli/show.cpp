// show: a record in record file form, or one structure of it in structure text form, with the
// record each reference names in a comment at the end of its line; or either as JSON.
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands.h"
#include "json.h"
#include "schema_view.h"
#include "tessella.h"

namespace TessellaCli {

namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// The attributes of the start tag that opens the line, in order; empty for other lines.
Attributes ParseAttributes(std::string_view line, std::string& element) {
  Attributes attributes;
  std::size_t at = line.find_first_not_of(" \t");
  if (at == std::string_view::npos || line[at] != '<' || at + 1 >= line.size() ||
      line[at + 1] == '/' || line[at + 1] == '!' || line[at + 1] == '?') {
    return attributes;
  }
  const std::size_t nameEnd = line.find_first_of(" \t/>", at + 1);
  element = std::string(line.substr(at + 1, nameEnd - at - 1));
  at = nameEnd;
  while (at != std::string_view::npos) {
    const std::size_t equals = line.find("=\"", at);
    if (equals == std::string_view::npos) break;
    const std::size_t nameStart = line.find_last_of(" \t", equals) + 1;
    const std::size_t close = line.find('"', equals + 2);
    if (close == std::string_view::npos) break;
    attributes.emplace_back(line.substr(nameStart, equals - nameStart),
                            line.substr(equals + 2, close - equals - 2));
    at = close + 1;
  }
  return attributes;
}

// A comment may not hold "--".
std::string CommentSafe(std::string text) {
  for (std::size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at)) {
    text.insert(at + 1, " ");
  }
  return text;
}

// "Field: Record.Name" for each reference the line's start tag holds ("Record.Name" alone for an
// element of a reference array), joined by ", "; "" when it holds none.
std::string ReferenceNote(std::string_view line) {
  std::string element;
  const Attributes attributes = ParseAttributes(line, element);
  std::string type;
  for (const auto& [name, value] : attributes) {
    if (name == "__polymorphicType" || (name == "__type" && type.empty())) type = value;
  }
  const uint64_t schema = type.empty() ? 0 : DB_SchemaStruct(type.c_str());
  std::string note;
  for (const auto& [name, value] : attributes) {
    std::string label;
    if (type.empty() && element == "Record" && name == "Value") {
      label = "";
    } else if (schema && name.rfind("__", 0) != 0) {
      const uint64_t field = DB_SchemaStruct_GetFieldByName(schema, name.c_str(), true, 0);
      if (!field || !IsStoredReference(field)) continue;
      label = name + ": ";
    } else {
      continue;
    }
    if (value.empty()) continue;
    const uint64_t record = DB_GetRecordByHash(value.c_str());
    if (!note.empty()) note += ", ";
    note += label + (record ? Text(DB_DataRecord_Name(record)) : "no loaded record");
  }
  return CommentSafe(note);
}

}  // namespace

int RunShow(const CommandContext& context) {
  if (!RequireLoaded(context)) return kExitProblems;
  const std::string& name = context.arguments[0];
  const uint64_t record = DB_GetRecordByName(name.c_str());
  if (!record) return Failure("no record named " + name);
  uint64_t structure = 0;
  if (context.arguments.size() > 1) {
    const std::string& url = context.arguments[1];
    structure = DB_DataRecord_ResolveURL(record, url.c_str());
    // The library stops at the last part it can follow, so a structure found elsewhere than the
    // URL says means the URL names nothing.
    if (!structure || Text(DB_DataStruct_URL(structure)) != url)
      return Failure(Text(DB_DataRecord_Name(record)) + " has no structure at " + url);
  }
  if (context.Option("--format") == "json") {
    JsonWriter writer(context.dataDir);
    std::string json;
    if (structure) {
      writer.AppendStructure(structure, json);
    } else {
      writer.AppendRecord(record, json);
    }
    std::puts(json.c_str());
    return kExitSuccess;
  }
  const char* exported =
      structure ? DB_DataStruct_Serialize(structure, nullptr, false) : DB_Export(record);
  // A copy: the library writes later texts into the same buffer.
  const std::string text = Text(exported);
  if (text.empty()) return Failure("the library returned no text for " + name);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    const std::string note = ReferenceNote(line);
    std::fwrite(line.data(), 1, line.size(), stdout);
    if (!note.empty()) std::printf(" <!-- %s -->", note.c_str());
    std::fputc('\n', stdout);
    start = end + 1;
  }
  return kExitSuccess;
}

}  // namespace TessellaCli
