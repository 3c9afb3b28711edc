#include "schema/parser.h"

#include <sstream>
#include <utility>

#include "base/log.h"
#include "schema/checks.h"
#include "schema/lexer.h"

namespace Schema {

using Database::LogError;
using Database::Resolve;

namespace {

constexpr const char* kUnknownRootToken = "Schema: File %s, Line %d Unknown Root token '%s'";
// The quoted form is used only for the "{" after an enumeration's name.
constexpr const char* kExpectedQuoted = "Schema:File %s, Line %d Error, Expected '%s'";
constexpr const char* kExpected = "Schema: File %s, Line %d Error, Expected %s";
constexpr const char* kNotFoundInPrePass =
    "Schema File %s, %s was not found during Pre Pass phase.";
constexpr const char* kParentNotFound =
    "Schema: File %s, Line %d Error, Attempting to inherit from non-existent type.";
constexpr const char* kFieldNamedLikeStructure =
    "Schema: File %s, Line %d field name cannot be the same name as a Structure: %s.";
constexpr const char* kFieldNamedLikeEnum =
    "Schema: File %s, Line %d field name cannot be the same name as an Enum. %s.";
constexpr const char* kStructureNotFound = "Schema: Structure %s was not found.";
constexpr const char* kRecordsCannotInherit =
    "Records cannot inherit! - %s is attempting to inherit a structure/record.";
constexpr const char* kInheritanceCycle =
    "Schema: File %s, Line %d Error, Structure %s cannot inherit from %s: the inheritance would "
    "form a cycle.";

enum class State {
  Root,
  EnumName,
  EnumOpen,
  EnumBody,
  EnumEnd,
  StructName,
  StructColon,
  ParentName,
  StructOpen,
  StructBody,
  StructEnd,
  FieldTypeState,
  FieldMarkers,
  ArraySize,
  ArrayClose,
  FieldName,
  FieldEnd,
};

// What a state did with the token it was given.
enum class Step {
  Consumed,  // the walk moves on to the next token
  Passed,    // the next state sees the same token
  Failed,    // an error was logged; the parse stops
};

// The per-file working state of the parser.
class ParserContext {
 public:
  explicit ParserContext(const std::string& path) : path_(path) {}

  // Gives the token to the states until one consumes it. False after a logged error.
  bool Feed(const std::string& token, int line) {
    line_ = line;
    for (;;) {
      switch (Handle(token)) {
        case Step::Consumed:
          return true;
        case Step::Failed:
          return false;
        case Step::Passed:
          break;
      }
    }
  }

  KeyValueMap& Pending() { return pendingKeyValues_; }

 private:
  Step Handle(const std::string& token);
  Step CreateField(const std::string& token);
  Step EndStructure(const std::string& token);
  Step Expect(const char* format, const char* expected) {
    LogError(format, path_.c_str(), line_, expected);
    return Step::Failed;
  }

  // Hands the pending key-values to their taker and empties them.
  template <class Take>
  void TakePending(Take take) {
    for (const auto& [key, value] : pendingKeyValues_) take(key, value);
    pendingKeyValues_.clear();
  }

  const std::string& path_;
  int line_ = 0;
  State state_ = State::Root;
  std::string enumName_;
  std::string structName_;
  std::string parentName_;
  std::string typeName_;
  std::string fieldName_;
  std::string arraySizeText_;
  bool isRecord_ = false;
  FieldOption option_ = FieldOption::OptionNone;
  StorageType storage_ = StorageType::Single;
  KeyValueMap pendingKeyValues_;
  // The declarations the current names stand for, looked up once per declaration.
  CSchemaEnum* enum_ = nullptr;
  CSchemaStruct* struct_ = nullptr;
};

Step ParserContext::Handle(const std::string& token) {
  SchemaRegistry& registry = SchemaRegistry::Instance();
  switch (state_) {
    case State::Root:
      if (token == "struct" || token == "record") {
        isRecord_ = token == "record";
        state_ = State::StructName;
        return Step::Consumed;
      }
      if (token == "enum") {
        state_ = State::EnumName;
        return Step::Consumed;
      }
      LogError(kUnknownRootToken, path_.c_str(), line_, token.c_str());
      return Step::Failed;

    case State::EnumName:
      enumName_ = token;
      state_ = State::EnumOpen;
      return Step::Consumed;

    case State::EnumOpen:
      if (token != "{") return Expect(kExpectedQuoted, "{");
      enum_ = Resolve<CSchemaEnum>(registry.FindEnumByName(enumName_));
      TakePending([this](const std::string& key, const std::string& value) {
        if (enum_) enum_->AddKeyValue(key, value);
      });
      state_ = State::EnumBody;
      return Step::Consumed;

    case State::EnumBody:
      if (token == "}") {
        state_ = State::EnumEnd;
      } else if (token != ",") {
        if (enum_) enum_->AddEnumerable(token);
        TakePending([this, &token](const std::string& key, const std::string& value) {
          if (enum_) enum_->AddEnumerableKeyValue(token, key, value);
        });
      }
      return Step::Consumed;

    case State::EnumEnd:
      if (token != ";") return Expect(kExpected, ";");
      enumName_.clear();
      enum_ = nullptr;
      state_ = State::Root;
      return Step::Consumed;

    case State::StructName:
      structName_ = token;
      struct_ = Resolve<CSchemaStruct>(registry.FindStructByName(token));
      if (!struct_) {
        LogError(kNotFoundInPrePass, path_.c_str(), token.c_str());
        return Step::Failed;
      }
      state_ = State::StructColon;
      return Step::Consumed;

    case State::StructColon:
      if (token == ":") {
        state_ = State::ParentName;
        return Step::Consumed;
      }
      state_ = State::StructOpen;
      return Step::Passed;

    case State::ParentName:
      if (registry.FindStructByName(token) == 0) {
        LogError(kParentNotFound, path_.c_str(), line_);
        return Step::Failed;
      }
      parentName_ = token;
      state_ = State::StructOpen;
      return Step::Consumed;

    case State::StructOpen:
      if (token != "{") return Expect(kExpected, "{");
      TakePending([this](const std::string& key, const std::string& value) {
        struct_->AddKeyValue(key, value);
      });
      state_ = State::StructBody;
      return Step::Consumed;

    case State::StructBody:
      if (token == "}") {
        state_ = State::StructEnd;
        return Step::Consumed;
      }
      state_ = State::FieldTypeState;
      return Step::Passed;

    case State::StructEnd:
      return EndStructure(token);

    case State::FieldTypeState:
      typeName_ = token;
      option_ = FieldOption::OptionNone;
      storage_ = StorageType::Single;
      state_ = State::FieldMarkers;
      return Step::Consumed;

    case State::FieldMarkers:
      if (token == "[") {
        state_ = State::ArraySize;
        return Step::Consumed;
      }
      if (token == "@" || token == "*" || token == "&") {
        option_ = token == "@"   ? FieldOption::OptionPointer
                  : token == "*" ? FieldOption::OptionWeakPointer
                                 : FieldOption::OptionAmpersand;
        return Step::Consumed;
      }
      state_ = State::FieldName;
      return Step::Passed;

    case State::ArraySize:
      if (token == "]") {
        storage_ = arraySizeText_.empty() ? StorageType::DynamicArray : StorageType::FixedArray;
        state_ = State::ArrayClose;
        return Step::Passed;
      }
      arraySizeText_ = token;  // only the last token before "]" counts
      return Step::Consumed;

    case State::ArrayClose:
      // ArraySize hands over only its "]".
      state_ = State::FieldName;
      return Step::Consumed;

    case State::FieldName:
      return CreateField(token);

    case State::FieldEnd:
      if (token != ";") return Expect(kExpected, ";");
      fieldName_.clear();
      state_ = State::StructBody;
      return Step::Consumed;
  }
  return Step::Failed;
}

Step ParserContext::EndStructure(const std::string& token) {
  if (!parentName_.empty()) {
    if (isRecord_) {
      LogError(kRecordsCannotInherit, structName_.c_str());
      return Step::Failed;
    }
    const THandle parent = SchemaRegistry::Instance().FindStructByName(parentName_);
    // Refused here, before the link is made, so that no walk up a parent chain can loop.
    if (WouldFormInheritanceCycle(*struct_, parent)) {
      LogError(kInheritanceCycle, path_.c_str(), line_, structName_.c_str(), parentName_.c_str());
      return Step::Failed;
    }
    struct_->SetInheritsFrom(parent);
    parentName_.clear();
  }
  structName_.clear();
  struct_ = nullptr;
  if (token != ";") return Expect(kExpected, ";");
  state_ = State::Root;
  return Step::Consumed;
}

Step ParserContext::CreateField(const std::string& token) {
  SchemaRegistry& registry = SchemaRegistry::Instance();
  fieldName_ = token;
  if (registry.FindStructByName(fieldName_) != 0) {
    LogError(kFieldNamedLikeStructure, path_.c_str(), line_, fieldName_.c_str());
    return Step::Failed;
  }
  if (registry.FindEnumByName(fieldName_) != 0) {
    LogError(kFieldNamedLikeEnum, path_.c_str(), line_, fieldName_.c_str());
    return Step::Failed;
  }
  ObjectPtr<CSchemaField> field(Database::CreateObject<CSchemaField>());
  // Named at once: the owner indexes its fields by name when it takes them.
  field->SetName(fieldName_);
  TakePending([&field](const std::string& key, const std::string& value) {
    field->AddKeyValue(key, value);
  });
  if (!struct_) {
    LogError(kStructureNotFound, structName_.c_str());
    return Step::Failed;
  }
  field->SetFieldOption(option_);
  field->SetStorageType(storage_);
  CSchemaField& added = *field;
  struct_->AddField(std::move(field));

  FieldType fieldType = FieldType::Bool;
  THandle customType = 0;
  if (!ResolveFieldType(SourceLine{path_, line_}, typeName_, &fieldType, &customType)) {
    return Step::Failed;
  }
  added.SetFieldType(fieldType);
  added.SetCustomType(customType);

  if (storage_ == StorageType::FixedArray) {
    // Stream extraction: leading blanks skipped, digits up to the first other character, 0 when
    // the text does not start with a number.
    std::istringstream sizeText(arraySizeText_);
    uint64_t size = 0;
    sizeText >> size;
    added.SetFixedArraySize(size);
    arraySizeText_.clear();
  }
  UpdateCommonKeyValuePairs(added.GetHandle());
  state_ = State::FieldEnd;
  return Step::Consumed;
}

}  // namespace

bool ParseKeyValueComment(const std::vector<std::string>& tokens, size_t first,
                          KeyValueMap& pending) {
  enum class KvState { Skip, Key, Colon, Value, Next };
  KvState state = KvState::Skip;
  std::string key;
  for (size_t i = first; i < tokens.size(); ++i) {
    const std::string& token = tokens[i];
    switch (state) {
      case KvState::Skip:
        if (token == "[") state = KvState::Key;
        break;
      case KvState::Key:
        if (pending.find(token) != pending.end()) return false;
        key = token;
        state = KvState::Colon;
        break;
      case KvState::Colon:
        if (token != ":") return false;
        state = KvState::Value;
        break;
      case KvState::Value: {
        std::string_view value = token;
        if (!value.empty() && value.front() == '"') value.remove_prefix(1);
        if (!value.empty() && value.back() == '"') value.remove_suffix(1);
        pending[key] = std::string(value);
        state = KvState::Next;
        break;
      }
      case KvState::Next:
        if (token == "]") return true;
        if (token != ",") return false;
        state = KvState::Key;
        break;
    }
  }
  return true;
}

bool ParseSchemaFile(const std::string& path, std::string_view text) {
  ParserContext context(path);
  return ForEachLine(text, [&context](int line, const std::vector<std::string>& tokens) {
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (IsCommentToken(tokens[i])) {
        // The parser does not act on a malformed block: it simply stops.
        static_cast<void>(ParseKeyValueComment(tokens, i, context.Pending()));
        return true;
      }
      if (!context.Feed(tokens[i], line)) return false;
    }
    return true;
  });
}

}  // namespace Schema
