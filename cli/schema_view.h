// Readers over the library's schema reflection exports, shared by the commands.
#ifndef TESSELLA_CLI_SCHEMA_VIEW_H_
#define TESSELLA_CLI_SCHEMA_VIEW_H_

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace TessellaCli {

// A numeric value or range bound in the form the library keeps for the field's type: signed for
// Int8..Int64, unsigned for UInt8..UInt64, double for Float and Double.
using Number = std::variant<int64_t, uint64_t, double>;

// A field's declared range; every bound holds the same alternative of Number.
struct Range {
  Number min;
  Number max;
  Number step;
};

// The schema fields of a structure type: with inheritance the root ancestor's fields come first.
std::vector<uint64_t> SchemaFields(uint64_t schemaStruct, bool includeInherited);

// The range the schema declared (both "min" and "max"); nothing for other fields.
std::optional<Range> DeclaredRange(uint64_t schemaField);

// The field's value for key, as the schema wrote it; nothing when the field has no such key.
std::optional<std::string> FieldKeyValue(uint64_t schemaField, const std::string& key);

// The number in its shortest exact decimal form.
std::string NumberText(const Number& number);

// The type as the schema language spells it: a keyword, or the declared type's name.
std::string TypeName(uint64_t schemaField);

// The field's declaration without its name: type, pointer marker and brackets, as in
// "Effect @ []" or "uint8[fixed]" (the interface does not tell a fixed array's length).
std::string Declaration(uint64_t schemaField);

// How record files hold a field.
bool HoldsStructures(uint64_t schemaField);  // Struct by value or owning pointer
bool IsWeakPointer(uint64_t schemaField);
bool IsStoredReference(uint64_t schemaField);  // Reference marked "&"
bool IsArray(uint64_t schemaField);

// Null-safe copy of a library text.
std::string Text(const char* text);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_SCHEMA_VIEW_H_
