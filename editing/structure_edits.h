// The edits a host makes to whole structures, each recorded in the command history.
#pragma once

#include "data/data_struct.h"

namespace Database {

// Replaces the structure (with a filter, only that field of it) from text; false, with nothing
// recorded, for a null text.
bool DeserializeStructure(CDataStruct& structure, const char* text, const char* filter);

// Sets the structure's polymorphic type (its declared type clears it).
void SetPolymorphicType(CDataStruct& structure, THandle type);

// Appends a copy of the structure to the array that holds it. False when the structure is not an
// element of an array held by a structure in service, or the array is full.
bool DuplicateInsideArray(CDataStruct& structure);

}  // namespace Database
