// Reads arbitrary bytes into a structure of the sample database with DB_DataStruct_Deserialize
// (the first byte picks the structure and the field filter, the rest is the text), then undoes
// the edit: the structure must serialise, with the same filter, exactly as before. Undo reads the
// earlier text back, which leaves a polymorphic type as it is when that text names none: a text
// that changed the type of the structure or of any structure of its record is left out of the
// check, and so are the fields such a type added; the sample is loaded afresh after it, so that
// the next input does not start from the new type. A text may also change a type and change it
// back (a structure element read twice), which leaves the derived type's fields behind with no
// type to show for them: a text that names a polymorphic type and does not undo exactly is left
// out the same way.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tessella.h"

namespace {

const char* const kFilters[] = {nullptr, "Damage", "Extras", "Levels", "Inner", "Tags", "Best"};

// The record and each of its structures, with its polymorphic type.
std::vector<std::pair<uint64_t, uint64_t>> Types(uint64_t record) {
  std::vector<std::pair<uint64_t, uint64_t>> types{
      {record, DB_DataStruct_GetPolymorphicType(record)}};
  const uint64_t count = DB_DataRecord_PointableStructureCount(record);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t structure = DB_DataRecord_GetPointableStructure(record, i);
    types.emplace_back(structure, DB_DataStruct_GetPolymorphicType(structure));
  }
  return types;
}

// True when a structure that had a type before has another now.
bool Retyped(const std::vector<std::pair<uint64_t, uint64_t>>& before) {
  for (const auto& [structure, type] : before) {
    if (DB_DataStruct_GetPolymorphicType(structure) != type) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > fuzz::kMaxInput) return 0;
  const uint64_t record = fuzz::SampleRecords()[data[0] % 3];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const uint32_t structures = static_cast<uint32_t>(DB_DataRecord_PointableStructureCount(record));
  const uint32_t pick = (data[0] >> 2) % (structures + 1);
  const uint64_t target =
      pick == structures ? record : DB_DataRecord_GetPointableStructure(record, pick);
  const char* filter = kFilters[(data[0] >> 5) % 7];
  const std::string before = fuzz::Copy(DB_DataStruct_Serialize(target, filter, false));
  DB_DataStruct_CanDeserialize(target, text.c_str());
  const auto types = Types(record);
  if (!DB_DataStruct_Deserialize(target, text.c_str(), filter)) {
    fuzz::Fail("a live structure refused text", text, "true", "false");
  }
  const bool retyped = Retyped(types);
  DB_Export(record);
  DB_Undo();
  const std::string after = fuzz::Copy(DB_DataStruct_Serialize(target, filter, false));
  const bool mayHaveRetyped = text.find("__polymorphicType") != std::string::npos;
  if (retyped || (mayHaveRetyped && after != before)) {
    fuzz::ReloadSample();
  } else if (after != before) {
    fuzz::Fail("undo did not restore the structure", text, before, after);
  }
  return 0;
}
