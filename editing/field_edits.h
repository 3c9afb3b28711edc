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

// Inserts structure (0: a new structure of the field's type) into an array of structures or owning
// pointers before element index (kAppendIndex: at the end) and returns the position used;
// kNotAdded when refused (as AddElement, and for a weak-pointer field, a record, or a structure
// that no longer exists).
uint32_t AddStructElement(CDataField& field, THandle structure, uint32_t index);

// Attaches structure (0: a new structure of the field's type) to the empty element index of an
// owning-pointer field; an element that holds a structure already is logged and left alone.
void NewPointer(CDataField& field, THandle structure, uint32_t index);

// Detaches the structure of element index of an owning-pointer field.
void DeletePointer(CDataField& field, uint32_t index);

// Moves structure from the array field from to the end of the array field to, as one undo step
// (an open chain is closed). False, with nothing recorded, when either is not an array of
// structures of the same type (logged), the structure is not in from, or to is full (logged).
bool MoveArrayElement(CDataField& from, THandle structure, CDataField& to);

}  // namespace Database
