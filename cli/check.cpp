// check: loads the database and reports what its author must fix before the next save.
#include <cstdio>
#include <string>

#include "commands.h"
#include "findings.h"
#include "tessella.h"

namespace TessellaCli {
namespace {

CheckReport Collect(const CommandContext& context) {
  CheckReport report;
  report.dataDir = context.dataDir;
  report.loaded = context.load.opened;
  CheckFileTexts(context.dataDir, report.findings);
  if (report.loaded) {
    report.recordCount = DB_GetRecordCount();
    const uint64_t* records = DB_GetRecords();
    for (uint64_t i = 0; i < report.recordCount; ++i) {
      CheckRecordValues(records[i], report.findings);
      CheckRecordFile(records[i], context.dataDir, report.findings);
    }
  }
  report.libraryProblems = LibraryProblems();
  return report;
}

// One line per finding on stdout, then a summary unless quiet. The library's own lines are
// already on stderr.
void PrintText(const CheckReport& report, bool quiet) {
  for (const Finding& finding : report.findings) {
    const std::string where = finding.line ? std::to_string(finding.line) : finding.field;
    std::printf("%s%s%s: %s (%s)\n", finding.file.c_str(), finding.line ? ":" : ": ", where.c_str(),
                finding.message.c_str(), finding.kind.c_str());
  }
  if (quiet) return;
  if (report.loaded) {
    std::printf("%llu records checked: %zu findings, %zu library errors\n",
                static_cast<unsigned long long>(report.recordCount), report.findings.size(),
                report.libraryProblems.size());
  } else {
    std::printf("the database did not load: %zu findings, %zu library errors\n",
                report.findings.size(), report.libraryProblems.size());
  }
}

}  // namespace

int RunCheck(const CommandContext& context) {
  const CheckReport report = Collect(context);
  if (context.Option("--format").value_or("text") == "json") {
    PrintCheckReportJson(report);
  } else {
    PrintText(report, context.quiet);
  }
  const bool clean = report.loaded && report.libraryProblems.empty() && report.findings.empty();
  return clean ? kExitSuccess : kExitProblems;
}

}  // namespace TessellaCli
