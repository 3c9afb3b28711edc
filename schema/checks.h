// Name resolution and whole-schema checks used while a set of schema files loads: the type of a
// field, the safety of a parent link, and the final duplicate field name check (third phase).
// Every failure is logged once with LogError.
#pragma once

#include <string>
#include <string_view>

#include "schema/model.h"

namespace Schema {

// Where a message points: the schema file and the 1-based line.
struct SourceLine {
  const std::string& path;
  int line;
};

// Resolves a field's type name: a keyword first, then a structure or record (Reference when it is
// a record, else Struct) and then an enumeration, in every file of the load. Logs and returns false
// when the name is both an enumeration and a structure, or is nothing known.
bool ResolveFieldType(const SourceLine& where, std::string_view typeName, FieldType* fieldType,
                      THandle* customType);

// True when linking child to parent would make an inheritance cycle: parent is child itself or
// already derives from it.
bool WouldFormInheritanceCycle(const CSchemaStruct& child, THandle parent);

// Third phase: no structure may declare two own fields of one name. Logs the first repeat (in
// structure creation order, then declaration order) and returns false.
bool CheckDuplicateFieldNames();

// Third phase as well: a structure whose default value would hold itself (through by-value
// structure fields, single or fixed arrays, its own or inherited, at any depth) could never be
// built. Logs the first such structure with the field that closes the loop and returns false.
bool CheckStructuresDoNotContainThemselves();

// Third phase as well: a structure with more than kMaxInheritanceDepth ancestors would lose the
// fields of the ones beyond. Logs the first such structure and returns false.
bool CheckInheritanceDepth();

// Third phase as well, after CheckStructuresDoNotContainThemselves: a structure whose default
// value would hold more than kMaxDefaultElements elements could not be built. Logs the first
// such structure with the field that takes it over and returns false.
bool CheckDefaultValueSizes();

// Last step of a schema load that passed the checks: tells every structure whether its fields,
// own and inherited, repeat a name, so that building a structure can skip looking for repeats.
void MarkRepeatedFieldNames();

}  // namespace Schema
