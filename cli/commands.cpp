#include "commands.h"

#include <cstdio>

namespace TessellaCli {

constexpr const char* kQueryLanguage =
    "A query is one text: SELECT RECORDS WHERE CONDITION [CONDITION]...  (FIELDS may stand for\n"
    "RECORDS; keywords are upper case, exactly; blanks, '=', '(' and ')' separate words, and a\n"
    "\"quoted run\" stays one word).\n"
    "\n"
    "Conditions, taken in order, each looking only at the one before it:\n"
    "  RECORD_TYPE=\"Weapon\"     the records whose type has exactly that name\n"
    "  AND                      passes on what the condition before it selected\n"
    "  FIELD_VALUE(PATH) OP VALUE\n"
    "                           the records the AND before it passed on (every record when that\n"
    "                           AND passed nothing) whose field at PATH compares true; without an\n"
    "                           AND right before it, nothing\n"
    "  OR, FIELD_TYPE=\"...\"     nothing\n"
    "The last condition decides the result, so OR never widens it: \"A OR B\" selects what B "
    "alone\n"
    "selects. Chain tests with AND: RECORD_TYPE=X AND FIELD_VALUE(a) > 1 AND FIELD_VALUE(b) < 5.\n"
    "\n"
    "PATH  field names joined by '.', an array element as Name[2] (element 0 without an index);\n"
    "      the walk follows structures and stops at the first field that is not one; a name the\n"
    "      structure lacks is passed over. The field's first element is compared.\n"
    "OP    == != < <= > >=, the field on the left: FIELD_VALUE(Speed) > 2 means Speed > 2.\n"
    "VALUE by the field's type:\n"
    "      integers        read as a decimal number (0 when none), compared signed or unsigned\n"
    "      float, double   read as a number, compared in the field's precision\n"
    "      bool            true or false, with == and != only (others log an error)\n"
    "      string, enum    == and != only (others select nothing), ignoring the case of ASCII\n"
    "                      letters on both sides; quote characters stay part of the value\n"
    "      LocId, references, structures cannot be compared (an error line per record)\n"
    "\n"
    "Examples:\n"
    "  tessella query 'SELECT RECORDS WHERE RECORD_TYPE=\"Weapon\" AND FIELD_VALUE(Speed) >= 2'\n"
    "  tessella query 'SELECT RECORDS WHERE RECORD_TYPE=Weapon AND FIELD_VALUE(Info.Grade) == "
    "rare'\n"
    "  tessella query 'SELECT RECORDS WHERE RECORD_TYPE=Weapon AND FIELD_VALUE(Damage[0].Maximum) "
    "> 10'\n";

namespace {

constexpr const char* kJsonForm =
    "Each record is one object: name, type, hash, file and fields, the record's fields by name in\n"
    "field order. Values by the field's type:\n"
    "  integers         numbers; 64-bit values beyond 2^53 (where JSON readers lose digits) as\n"
    "                   strings of their decimal digits\n"
    "  float, double    numbers in the shortest form that reads back to the same float or double;\n"
    "                   nan and infinity, which JSON cannot hold, as null\n"
    "  bool             true or false\n"
    "  string, enum     strings; bytes that are no UTF-8 become U+FFFD\n"
    "  LocId            numbers\n"
    "  arrays           arrays, fixed and dynamic alike\n"
    "  structures       objects of their fields, with \"__type\" when the structure has a\n"
    "                   polymorphic type; an empty owning pointer is null\n"
    "  references       {\"hash\": ..., \"name\": ...}, name null when no loaded record has the\n"
    "                   hash; null when the field holds no hash\n"
    "  weak pointers    the URL of the structure they point to; null when they point to none\n";

constexpr const char* kExportDetails =
    "Records come in the order list prints them, each written as soon as it is read.\n"
    "  tessella export -q --format jsonl | jq -r 'select(.fields.Speed > 2) | .name'\n";

constexpr Command kCommands[] = {
    {"check",
     "[DIR] [--format text|json]",
     "Report what the data author must fix before the next save.",
     0,
     0,
     {{"--format", "text|json",
       "--format text|json  findings as text lines (default) or as one "
       "JSON document"}},
     RunCheck,
     {}},
    {"list",
     "[DIR] [--type TYPE]",
     "List the records with type, hash and file.",
     0,
     0,
     {{"--type", nullptr, "--type TYPE  only the records of that type"}},
     RunList,
     {}},
    {"show",
     "[DIR] RECORD [URL] [--format xml|json]",
     "Print a record, or the structure at URL in it, as XML or JSON.",
     1,
     2,
     {{"--format", "xml|json",
       "--format xml|json  record file form (default), or one JSON object as export writes it"}},
     RunShow,
     {kJsonForm}},
    {"schema", "[DIR] [TYPE]", "Describe the schema, or one type of it.", 0, 1, {}, RunSchema, {}},
    {"query",
     "[DIR] 'SELECT ...'",
     "List the records a query selects.",
     1,
     1,
     {},
     RunQuery,
     {kQueryLanguage}},
    {"export",
     "[DIR] [--type TYPE] [--format json|jsonl]",
     "Write every record as JSON, for pipelines and jq.",
     0,
     0,
     {{"--type", nullptr, "--type TYPE          only the records of that type"},
      {"--format", "json|jsonl",
       "--format json|jsonl  one JSON array (default), or one record "
       "per line"}},
     RunExport,
     {kExportDetails, kJsonForm}},
};

void PrintUsage(std::FILE* out, const Command* command) {
  if (command) {
    std::fprintf(out, "usage: tessella %s %s [--quiet]\n", command->name, command->synopsis);
  } else {
    std::fputs("usage: tessella [--quiet] COMMAND [DIR] [ARGUMENTS]  (tessella --help)\n", out);
  }
}

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const CommandOption* FindOption(const Command& command, std::string_view name) {
  for (const CommandOption& option : command.options) {
    if (option.name && name == option.name) return &option;
  }
  return nullptr;
}

std::optional<std::string> CommandContext::Option(std::string_view name) const {
  const auto found = options.find(std::string(name));
  if (found == options.end()) return std::nullopt;
  return found->second;
}

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

void PrintHelp(const Command* command, const std::filesystem::path& sampleDir) {
  PrintUsage(stdout, command);
  if (command) {
    std::printf("\n%s\n", command->summary);
    const char* separator = "\n";
    for (const CommandOption& option : command->options) {
      if (!option.name) continue;
      std::printf("%s  %s\n", separator, option.help);
      separator = "";
    }
    for (const char* details : command->details) {
      if (details) std::printf("\n%s", details);
    }
  } else {
    std::puts(
        "\nLoads the Tessella database in DIR (every *.sch and *.xml file below it) and works on"
        "\nit. A first argument that names an existing directory is taken as DIR.\n\ncommands:");
    for (const Command& each : kCommands) {
      const std::string call = std::string(each.name) + " " + each.synopsis;
      if (call.size() > 33) {
        std::printf("  %s\n  %-33s %s\n", call.c_str(), "", each.summary);
      } else {
        std::printf("  %-33s %s\n", call.c_str(), each.summary);
      }
    }
    std::puts(
        "\noptions:\n"
        "  -q, --quiet  only problems: no progress bar, no message lines, no summary\n"
        "  -h, --help   this help; tessella COMMAND --help describes one command\n"
        "\nexit status: 0 success, 1 problems found or nothing to show, 2 usage error");
  }
  std::printf("\nWithout DIR: the bundled sample database, %s\n",
              sampleDir.generic_string().c_str());
}

int UsageError(const Command* command, const std::string& message) {
  std::fprintf(stderr, "tessella: %s\n", message.c_str());
  PrintUsage(stderr, command);
  return kExitUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "tessella: %s\n", message.c_str());
  return kExitProblems;
}

bool RequireLoaded(const CommandContext& context) {
  if (context.load.opened) return true;
  Failure("the database in " + context.dataDir.generic_string() + " did not load");
  return false;
}

}  // namespace TessellaCli
