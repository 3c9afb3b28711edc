// The check report as JSON for CI pipelines. Every finding carries the same keys: kind, record,
// file, line, field, url and message, with null where a key does not apply. Library lines come
// first, with the kind "library" and the line as message. Text is copied byte for byte, except
// that control characters are escaped and each byte that begins no well-formed UTF-8 sequence
// becomes U+FFFD, so the document is always valid UTF-8 and valid JSON. The same strings serve
// export and show.
#include "json.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "findings.h"

namespace TessellaCli {
namespace {

// The length of the well-formed UTF-8 sequence that text starts with; 0 when its first byte
// begins none: a stray continuation byte, an overlong form, a surrogate, a code point above
// U+10FFFF or a sequence cut short.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  std::size_t length = 4;
  unsigned char low = 0x80;  // the range of the second byte; later ones are 0x80..0xbf
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xbf)) return 0;
  }
  return length;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\') {
      out += text[i++];
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text.substr(i));
    if (length != 1) {
      out += length ? text.substr(i, length) : std::string_view("\xef\xbf\xbd");  // U+FFFD
      i += length ? length : 1;
      continue;
    }
    switch (text[i++]) {
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
      default: {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
        out += escaped;
      }
    }
  }
  out += '"';
}

std::string Quoted(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

namespace {

std::string QuotedOrNull(std::string_view text) { return text.empty() ? "null" : Quoted(text); }

void PrintFinding(const Finding& finding, bool last) {
  std::printf(
      "    {\"kind\": %s, \"record\": %s, \"file\": %s, \"line\": %s, \"field\": %s, "
      "\"url\": %s, \"message\": %s}%s\n",
      Quoted(finding.kind).c_str(), QuotedOrNull(finding.record).c_str(),
      QuotedOrNull(finding.file).c_str(),
      finding.line ? std::to_string(finding.line).c_str() : "null",
      QuotedOrNull(finding.field).c_str(), QuotedOrNull(finding.url).c_str(),
      Quoted(finding.message).c_str(), last ? "" : ",");
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
    PrintFinding({"library", "", "", 0, "", "", problem.line}, ++printed == total);
  }
  for (const Finding& finding : report.findings) PrintFinding(finding, ++printed == total);
  std::printf("%s]\n}\n", total ? "  " : "");
}

}  // namespace TessellaCli
