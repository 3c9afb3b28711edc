#include "schema/prepass.h"

#include "base/log.h"
#include "schema/lexer.h"
#include "schema/model.h"

namespace Schema {

using Database::LogError;

namespace {
constexpr const char* kEnumExists = "Enum already exists %s.";
constexpr const char* kStructureExists = "Schema Structure already exists %s";

enum class PrePassState { Scan, EnumName, StructName };
}  // namespace

bool PrePassSchemaFile(const std::string& path, std::string_view text) {
  SchemaRegistry& registry = SchemaRegistry::Instance();
  PrePassState state = PrePassState::Scan;
  bool isRecord = false;
  return ForEachLine(text, [&](int /*line*/, const std::vector<std::string>& tokens) {
    for (const std::string& token : tokens) {
      if (IsCommentToken(token)) break;
      switch (state) {
        case PrePassState::Scan:
          if (token == "struct" || token == "record") {
            isRecord = token == "record";
            state = PrePassState::StructName;
          } else if (token == "enum") {
            state = PrePassState::EnumName;
          }
          break;
        case PrePassState::EnumName:
          if (registry.FindEnumByName(token) != 0) {
            LogError(kEnumExists, token.c_str());
            return false;
          }
          registry.CreateEnum(token);
          state = PrePassState::Scan;
          break;
        case PrePassState::StructName:
          if (registry.FindStructByName(token) != 0) {
            LogError(kStructureExists, token.c_str());
            return false;
          }
          registry.CreateStruct(token, path, isRecord);
          state = PrePassState::Scan;
          break;
      }
    }
    return true;
  });
}

}  // namespace Schema
