// Findings read from the files' text: what the library's loader passes over without a word.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "data_directory.h"
#include "findings.h"

namespace TessellaCli {
namespace {

namespace fs = std::filesystem;

// Bytes that end a schema token, as the library cuts them; the blanks among them are dropped and
// the others are tokens of their own.
constexpr std::string_view kSplitSet = " \t\r;[]{}@*&,:";
constexpr std::string_view kBlanks = " \t\r";

// Calls visit(token, line) for every token of schema text outside comments, cut as the library
// cuts it: lines at each line feed, then tokens at the split set, a double quote grouping text
// into its token up to the closing quote or the end of the line, and a token that begins with
// "//" ending the line.
template <class Visit>
void ForEachSchemaToken(std::string_view text, Visit visit) {
  uint32_t line = 1;
  std::string token;
  bool quoted = false;
  bool comment = false;
  const auto flush = [&] {
    if (!comment && !token.empty()) {
      comment = token.starts_with("//");
      if (!comment) visit(std::string_view(token), line);
    }
    token.clear();
  };
  for (const char c : text) {
    if (c == '\n') {
      flush();
      ++line;
      quoted = comment = false;
    } else if (comment) {
      continue;
    } else {
      if (c == '"') quoted = !quoted;
      if (quoted || kSplitSet.find(c) == kSplitSet.npos) {
        token += c;
        continue;
      }
      flush();
      if (!comment && kBlanks.find(c) == kBlanks.npos) visit(std::string_view(&c, 1), line);
    }
  }
  flush();
}

// Follows the declarations of schema text far enough to tell the one it ends inside, and what the
// library's parser keeps of that one: the fields and enumerables it read, but no parent (linked
// only at the ";" after the "}") and no field whose name never came.
class DeclarationScan {
 public:
  void Token(std::string_view token, uint32_t line) {
    switch (place_) {
      case Place::Root:
        if (token == "struct" || token == "record" || token == "enum") {
          *this = DeclarationScan();
          keyword_ = token;
          line_ = line;
          place_ = Place::Name;
        }
        break;
      case Place::Name:
        name_ = token;
        place_ = Place::Head;
        break;
      case Place::Head:
        if (token == "{") {
          place_ = Place::Body;
        } else if (token == ":") {
          parentNext_ = true;
        } else if (parentNext_) {
          parent_ = token;
          parentNext_ = false;
        }
        break;
      case Place::Body:
        Body(token);
        break;
      case Place::Close:
        place_ = Place::Root;
        if (token != ";") Token(token, line);
        break;
    }
  }

  // The line where the declaration the text ends inside starts; 0 when it ends outside any.
  uint32_t OpenLine() const { return place_ == Place::Root ? 0 : line_; }

  // What the author should hear about that declaration.
  std::string Message() const {
    const bool enumeration = keyword_ == "enum";
    const std::string what = enumeration            ? "enumeration"
                             : keyword_ == "record" ? "record"
                                                    : "structure";
    if (place_ == Place::Name) {
      return (enumeration ? "an " : "a ") + what + " is not closed: the file ends after '" +
             keyword_ + "', so none is declared";
    }
    std::string message = what + " " + name_ + " is not closed: the file ends ";
    message += place_ == Place::Head   ? "before its '{'"
               : place_ == Place::Body ? "before its '}'"
                                       : "before the ';' after its '}'";
    std::vector<std::string> lost;
    if (place_ == Place::Head) {
      lost.push_back(enumeration ? "it has no enumerables" : "it has no fields");
    }
    if (place_ == Place::Body && fieldTyped_) lost.push_back("its last field is lost");
    if (!parent_.empty()) lost.push_back("it does not inherit from " + parent_);
    for (std::size_t i = 0; i < lost.size(); ++i) message += (i ? " and " : ", so ") + lost[i];
    return message;
  }

 private:
  enum class Place { Root, Name, Head, Body, Close };

  // A field is created when its name is read: the first token after its type that is neither a
  // pointer marker nor inside its brackets.
  void Body(std::string_view token) {
    if (keyword_ == "enum" || !fieldTyped_) {
      if (token == "}") {
        place_ = Place::Close;
      } else if (keyword_ != "enum" && token != ";") {
        fieldTyped_ = true;
      }
    } else if (inBrackets_ || token == "[") {
      inBrackets_ = token != "]";
    } else if (token != "@" && token != "*" && token != "&") {
      fieldTyped_ = false;
    }
  }

  Place place_ = Place::Root;
  std::string keyword_;
  std::string name_;
  std::string parent_;
  uint32_t line_ = 0;
  bool parentNext_ = false;
  bool fieldTyped_ = false;  // a field's type has been read, its name not yet
  bool inBrackets_ = false;
};

// The text the loader reads: up to the file's first zero byte, which gets a finding.
std::string_view LoadedText(const std::string& file, std::string_view bytes,
                            std::vector<Finding>& findings) {
  const std::size_t zero = bytes.find('\0');
  if (zero == bytes.npos) return bytes;
  const auto line =
      static_cast<uint32_t>(1 + std::count(bytes.begin(), bytes.begin() + zero, '\n'));
  findings.push_back({kZeroByteFinding, "", file, line, "", "",
                      "a zero byte: the library ignores the rest of the file"});
  return bytes.substr(0, zero);
}

}  // namespace

void CheckFileTexts(const fs::path& dataDir, std::vector<Finding>& findings) {
  const DatabaseFiles files = FindDatabaseFiles(dataDir);
  for (const std::string& file : files.schemaFiles) {
    const std::string bytes = ReadWholeFile(dataDir / PathFromUtf8(file)).value_or("");
    DeclarationScan scan;
    ForEachSchemaToken(LoadedText(file, bytes, findings),
                       [&scan](std::string_view token, uint32_t line) { scan.Token(token, line); });
    if (scan.OpenLine()) {
      findings.push_back(
          {kUnclosedDeclarationFinding, "", file, scan.OpenLine(), "", "", scan.Message()});
    }
  }
  for (const std::string& file : files.recordFiles) {
    LoadedText(file, ReadWholeFile(dataDir / PathFromUtf8(file)).value_or(""), findings);
  }
}

}  // namespace TessellaCli
