// The check report as JSON for CI pipelines. Every finding carries the same keys: kind, record,
// file, field, url and message, with null where a key does not apply. Library lines come first,
// with the kind "library" and the line, byte for byte, as message.
#include <cstdio>
#include <string>
#include <string_view>

#include "findings.h"

namespace TessellaCli {
namespace {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string QuotedOrNull(std::string_view text) { return text.empty() ? "null" : Quoted(text); }

void PrintFinding(const Finding& finding, bool last) {
  std::printf(
      "    {\"kind\": %s, \"record\": %s, \"file\": %s, \"field\": %s, \"url\": %s, "
      "\"message\": %s}%s\n",
      Quoted(finding.kind).c_str(), QuotedOrNull(finding.record).c_str(),
      QuotedOrNull(finding.file).c_str(), QuotedOrNull(finding.field).c_str(),
      QuotedOrNull(finding.url).c_str(), Quoted(finding.message).c_str(), last ? "" : ",");
}

}  // namespace

void PrintCheckReportJson(const CheckReport& report) {
  std::printf("{\n  \"directory\": %s,\n  \"loaded\": %s,\n  \"records\": %llu,\n",
              Quoted(report.dataDir.generic_string()).c_str(), report.loaded ? "true" : "false",
              static_cast<unsigned long long>(report.recordCount));
  const std::size_t total = report.libraryProblems.size() + report.findings.size();
  std::printf("  \"findings\": [%s", total ? "\n" : "");
  std::size_t printed = 0;
  for (const LibraryProblem& problem : report.libraryProblems) {
    PrintFinding({"library", "", "", "", "", problem.line}, ++printed == total);
  }
  for (const Finding& finding : report.findings) PrintFinding(finding, ++printed == total);
  std::printf("%s]\n}\n", total ? "  " : "");
}

}  // namespace TessellaCli
