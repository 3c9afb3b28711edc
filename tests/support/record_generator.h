// Generates a realistic database in memory: one schema that uses every field kind (every scalar
// type, enumerations, fixed and dynamic arrays, by-value structures, polymorphic owning pointers,
// weak pointers and record references) and any number of record files for it, each about 2 KB.
// The same seed gives the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GeneratedFile {
  std::string path;
  std::string text;
};

struct GeneratedDatabase {
  std::vector<GeneratedFile> schemaFiles;
  std::vector<GeneratedFile> recordFiles;
};

// recordCount records of type "Item" (and, every tenth, "Crate"), named Item0, Item1, ...
// References point at records of the same set.
GeneratedDatabase GenerateDatabase(size_t recordCount, uint32_t seed);

// Record hashes are derived from the index so that references can be written before the record
// they name.
std::string GeneratedHash(size_t index);
