// URLs: the path of a structure inside its record. Segments are field names joined by "."; a
// structure held in an array is named by the field name followed by "[" index "]"; the record's
// own name is not part of it, so a record's URL is the empty text. "#Error#" names a structure
// whose place cannot be named.
#pragma once

#include <string>
#include <string_view>

#include "base/data_object.h"

namespace Database {

class CDataRecord;
class CDataStruct;

inline constexpr char kErrorUrl[] = "#Error#";

// The URL of the structure, walking its parents up to the record.
std::string BuildURL(const CDataStruct& structure);

// The structure in service that url names inside record, or 0. A segment that names no field
// of the current structure is skipped; an index beyond the array, an index on a field that does
// not hold structures, or a target that is not in service gives 0.
TDataStructHandle ResolveURL(const CDataRecord& record, std::string_view url);

}  // namespace Database
