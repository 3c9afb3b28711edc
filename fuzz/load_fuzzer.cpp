// Feeds arbitrary bytes to DB_Load as one schema file and one record file (split at the first
// line "---"), then reads back everything that loaded: whatever a host hands over, the library
// must answer with log lines and neutral results, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tessella.h"

namespace {

void ReadBack(uint64_t structure, int depth) {
  if (depth > 8) return;
  DB_DataStruct_Serialize(structure, nullptr, true);
  DB_DataStruct_URL(structure);
  DB_DataStruct_FieldName(structure);
  const uint64_t type = DB_SchemaStruct(DB_DataStruct_Name(structure));
  const uint64_t fields = DB_SchemaStruct_GetFieldCount(type, true, 0);
  for (uint64_t i = 0; i < fields; ++i) {
    const uint64_t schemaField =
        DB_SchemaStruct_GetFieldByIndex(type, static_cast<int32_t>(i), true, 0);
    const uint64_t field =
        DB_DataStruct_FieldByName(structure, DB_SchemaField_GetName(schemaField));
    const uint64_t count = DB_DataField_GetArrayElementCount(field);
    for (uint64_t e = 0; e < count && e < 16; ++e) {
      const auto index = static_cast<int32_t>(e);
      DB_DataField_GetValueAsString(field, index);
      DB_DataField_GetValueAsDouble(field, index);
      if (const uint64_t child = DB_DataField_GetValueAsStruct(field, index)) {
        ReadBack(child, depth + 1);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find("\n---\n");
  fuzz::Load(input.substr(0, split),
             {{"fuzz.xml", split == std::string::npos ? std::string() : input.substr(split + 5)}});
  for (uint64_t i = 0; i < DB_GetRecordCount(); ++i) {
    const uint64_t record = DB_GetRecords()[i];
    DB_Export(record);
    ReadBack(record, 0);
    for (uint64_t p = 0; p < DB_DataRecord_PointableStructureCount(record); ++p) {
      DB_DataStruct_URL(DB_DataRecord_GetPointableStructure(record, static_cast<uint32_t>(p)));
    }
  }
  DB_Query("SELECT RECORDS WHERE RECORD_TYPE=\"Item\" AND FIELD_VALUE(Main.Damage) >= 1");
  DB_Close();
  return 0;
}
