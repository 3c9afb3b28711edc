// The edits a host makes to field values, each recorded in the command history as one command
// (joining an open chain) and executed. An edit the field cannot take is refused before anything
// is recorded: an error line is logged and nothing changes.
#pragma once

#include <cstdint>

#include "data/data_field.h"

namespace Database {

// The index an add returns when it inserted nothing.
inline constexpr uint32_t kNotAdded = kAppendIndex;

// Sets element index to value. Refused when the field holds another element kind, when the index
// is negative, beyond the element count or (equal to it) the field is full, and for an owning
// structure field when value is neither 0 nor a structure in service.
template <ElementKind K>
void SetElement(CDataField& field, ElementType<K> value, int32_t index);

// Inserts value before element index (kAppendIndex: at the end) and returns the position used.
// Refused (kNotAdded) when the field holds another element kind, is full, or the index lies
// beyond the end. A weak-pointer target of the wrong type is logged when the command runs and
// inserts nothing.
template <ElementKind K>
uint32_t AddElement(CDataField& field, ElementType<K> value, uint32_t index);

// Removes element index of a dynamic array (fixed arrays and single values are refused, logged).
void RemoveElement(CDataField& field, uint32_t index);

// Exchanges element index with element index + distance; nothing changes when either lies
// outside the array, but the step is recorded all the same.
void ShiftElement(CDataField& field, uint32_t index, int32_t distance);

}  // namespace Database
