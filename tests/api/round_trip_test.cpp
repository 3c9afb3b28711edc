#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/database_fixture.h"
#include "support/record_generator.h"
#include "tessella.h"

namespace {

class RoundTripTest : public DatabaseFixture {
 protected:
  void LoadFiles(const GeneratedDatabase& database) {
    Reset();
    for (const GeneratedFile& file : database.schemaFiles) AddSchema(file.path, file.text);
    for (const GeneratedFile& file : database.recordFiles) AddRecord(file.path, file.text);
    ASSERT_TRUE(Load());
    ASSERT_EQ(Log().Texts(TESSELLA_LOG_ERROR), std::vector<std::string>{});
    ASSERT_EQ(Log().Texts(TESSELLA_LOG_EXCEPTION), std::vector<std::string>{});
    ASSERT_EQ(DB_GetRecordCount(), database.recordFiles.size());
  }

  // Every record's export, in registration order, under its original path.
  static GeneratedDatabase Exported(const GeneratedDatabase& from) {
    GeneratedDatabase exported{from.schemaFiles, {}};
    for (size_t i = 0; i < DB_GetRecordCount(); ++i) {
      const char* text = DB_Export(DB_GetRecords()[i]);
      exported.recordFiles.push_back({from.recordFiles[i].path, text ? text : ""});
    }
    return exported;
  }
};

// Loading, exporting and loading the export again must give the same records: the export of the
// second load equals the first, for every record, across many generated databases.
TEST_F(RoundTripTest, ExportAndReloadGiveIdenticalRecords) {
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    const GeneratedDatabase generated = GenerateDatabase(120, seed);
    ASSERT_NO_FATAL_FAILURE(LoadFiles(generated));
    const GeneratedDatabase first = Exported(generated);
    ASSERT_NO_FATAL_FAILURE(LoadFiles(first));
    const GeneratedDatabase second = Exported(first);
    for (size_t i = 0; i < first.recordFiles.size(); ++i) {
      ASSERT_EQ(second.recordFiles[i].text, first.recordFiles[i].text) << first.recordFiles[i].path;
    }
  }
}

}  // namespace
