#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "support/database_fixture.h"
#include "tessella.h"

namespace {

constexpr const char* kSchema = R"(enum EKind { Melee, Ranged };
struct Slot { int32 Damage; };
struct StatBlock { int32 Damage; };
record Weapon { int32 Damage; uint16 Range; int8 Tier; uint64 Serial; float Speed; double Weight;
    bool IsActive; string Name; EKind Kind; loc_id Title; StatBlock Stats; Slot[] Slots;
    Slot * Favourite; };
record Armour { int32 Damage; };
)";

// Each record's file name and text.
const std::pair<const char*, const char*> kRecords[] = {
    {"Axe.xml",
     R"(<Axe __type="Weapon" __hash="00000000-0000-4000-8000-000000000000" Damage="12" Range="2" )"
     R"(Tier="-3" Serial="18446744073709551615" Speed="0.1" Weight="2.5" IsActive="true" )"
     R"(Name="axe" Kind="Melee" Title="7" Favourite="Slots[1]"><Stats Damage="40"/><Slots>)"
     R"(<Slot Damage="1"/><Slot Damage="9"/></Slots></Axe>)"},
    {"Bow.xml",
     R"(<Bow __type="Weapon" __hash="00000000-0000-4000-8000-000000000001" Damage="5" Range="90" )"
     R"(Tier="2" Serial="5" Speed="2.5" Weight="1" IsActive="false" Name="Bow" Kind="Ranged" )"
     R"(Title="7"><Stats Damage="4"/><Slots><Slot Damage="3"/></Slots></Bow>)"},
    {"Club.xml",
     R"(<Club __type="Weapon" __hash="00000000-0000-4000-8000-000000000002" Damage="10" )"
     R"(Range="1" Tier="0" Serial="7" Speed="1" Weight="4" IsActive="true" Name="club" )"
     R"(Kind="Melee"><Stats Damage="10"/></Club>)"},
    {"Plate.xml",
     R"(<Plate __type="Armour" __hash="00000000-0000-4000-8000-000000000003" Damage="1"/>)"}};

// W is prepended to most queries; records are expected in order, separated by blanks, and the log
// in the shorthand of LogLines.
const std::string W = "SELECT RECORDS WHERE RECORD_TYPE=Weapon AND FIELD_VALUE";
const std::string kBool = "E Boolean comparison must be == or !=.\n";
const std::string kType = "E Comparator not supported for type.\n";

std::string Unresolved(const std::string& path) {
  return "X File(Database) Line(313) Function(Database::CDataRecord::ResolveField) - URL has not "
         "been fully resolved (" +
         path +
         "). Url must be malformed. This will work, but it may not be what you intended. Did you "
         "try access a field, inside of a non-structure?\n";
}

struct QueryCase {
  std::string name;
  std::string query;
  const char* records;
  std::string log = "";
  bool refused = false;  // the results of the query before it stay
};

// A query the parser refuses, with its error lines, each naming the whole query once.
QueryCase Refused(const std::string& query, std::vector<std::string> formats) {
  std::string log;
  for (const std::string& format : formats) {
    const size_t at = format.find("%s");
    log += "E Error in Query ( " + format.substr(0, at) + query + format.substr(at + 2) + "\n";
  }
  return {query, query, "Plate", log, true};
}

const std::string kShort =
    "%s ) not enough actual parameters, expecting at least 4. SELECT (TYPE) WHERE SOME_DATA";
const std::string kRecordType = "%s ) format for record type is RECORD_TYPE=\"typename\"";
const std::string kField = "%s ) format for record type is FIELD_VALUE=(someField)";
const std::string kQuoted = kField + " 'operator' 'value'";
const std::string kBare = kField + " operator value";

const QueryCase kCases[] = {
    {"record type", "SELECT RECORDS WHERE RECORD_TYPE=\"Weapon\"", "Axe Bow Club"},
    {"record type is exact", "SELECT RECORDS WHERE RECORD_TYPE=\"weapon\"", ""},
    {"fields form selects records too", "SELECT FIELDS WHERE RECORD_TYPE = Armour", "Plate"},
    {"two tests narrow in turn", W + "(Damage) > 5 AND FIELD_VALUE(Range) < 2", "Club"},
    {"an empty and tests every record",
     "SELECT RECORDS WHERE RECORD_TYPE=\"Nothing\" AND FIELD_VALUE(Damage) == 1", "Plate"},
    {"a test without and selects nothing", "SELECT RECORDS WHERE FIELD_VALUE(Damage) == 1", ""},
    {"or selects nothing", "SELECT RECORDS WHERE RECORD_TYPE=\"Weapon\" OR", ""},
    {"field type selects nothing", "SELECT RECORDS WHERE NOTHING OR FIELD_TYPE=\"Int32\"", ""},
    {"no conditions", "SELECT RECORDS WHERE nothing here", ""},
    {"bool equals ignores letter case", W + "(IsActive) == TRUE", "Axe Club"},
    {"bool not equal", W + "(IsActive) != true", "Bow"},
    {"bool other words never match", W + "(IsActive) == 1", ""},
    {"bool ordering is refused once per record", W + "(IsActive) > true", "",
     kBool + kBool + kBool},
    {"text ignores letter case on both sides", W + "(Name) == bOW", "Bow"},
    {"quoted values keep their quotes, quoted paths lose them", W + "(\"Name\") == \"axe\"", ""},
    {"text not equal", W + "(\"Name\") != axe", "Bow Club"},
    {"text ordering selects nothing", W + "(Name) > a", ""},
    {"enum text ignores letter case", W + "(Kind) == RANGED", "Bow"},
    {"signed fields widen with their sign", W + "(Tier) < 0", "Axe"},
    {"unsigned fields compare unsigned", W + "(Serial) > 6", "Axe Club"},
    {"unsigned value read with wrap-around", W + "(Serial) == -1", "Axe"},
    {"float compares in single precision", W + "(Speed) == 0.1", "Axe"},
    {"double", W + "(Weight) <= 2.5", "Axe Bow"},
    {"an unknown operator compares nothing", W + "(Damage) ~ 5", ""},
    {"a value that is no number reads as 0", W + "(Tier) == many", "Club"},
    {"loc id is not comparable", W + "(Title) == 7", "", kType + kType + kType},
    {"a structure field itself resolves to nothing", W + "(Stats) == 1", ""},
    {"structure fields are followed", W + "(Stats.Damage) >= 10", "Axe Club"},
    {"array elements by index, empty segments skipped", W + "(Slots[1]..Damage) == 9", "Axe"},
    {"an array without index follows its first element", W + "(Slots.Damage) == 3", "Bow"},
    {"an index past the end leads nowhere", W + "(Slots[5].Damage) >= 0", ""},
    {"unknown segments are skipped", W + "(Nope.Stats.Damage) == 4", "Bow"},
    {"a weak pointer ends the path", W + "(Favourite.Damage) == 9", "",
     Unresolved("Favourite.Damage") + kType + Unresolved("Favourite.Damage") + kType +
         Unresolved("Favourite.Damage") + kType},
    {"a path inside a scalar compares the scalar",
     "SELECT RECORDS WHERE RECORD_TYPE=Armour AND FIELD_VALUE(Damage.X) == 1", "Plate",
     Unresolved("Damage.X")},
    Refused("SELECT RECORDS WHERE", {kShort}),
    Refused("SELECT ROWS WHERE X", {"%s ) type was not FIELDS or RECORDS"}),
    Refused("SELECT RECORDS IF X", {"%s ) TYPE must proceed with WHERE"}),
    Refused("SELECT RECORDS WHERE RECORD_TYPE Weapon X", {kRecordType}),
    Refused("SELECT RECORDS WHERE FIELD_VALUE=(Damage) >= 10", {kField}),
    Refused("SELECT RECORDS WHERE FIELD_VALUE (", {kQuoted}),
    Refused("SELECT RECORDS WHERE FIELD_VALUE(Damage)", {kBare}),
    Refused(W + "(Damage) =", {"%s ) unknown operator \"=\"", kBare}),
    Refused(W + "(Damage) !", {"%s ) unknown operator \"!\"", kBare}),
    Refused("SELECT RECORDS WHERE FIELD_TYPE",
            {"%s ) format for record type is FIELD_TYPE=\"typename\""}),
};

class QueryTest : public DatabaseFixture {
 protected:
  void SetUp() override {
    AddSchema("query.sch", kSchema);
    for (const auto& [path, text] : kRecords) AddRecord(path, text);
    ASSERT_TRUE(Load());
    ASSERT_EQ(Log().Texts(TESSELLA_LOG_ERROR), std::vector<std::string>{});
    Log().Clear();
  }

  static std::string ResultNames() {
    std::vector<uint64_t> handles(DB_QueryGetResults(nullptr));
    DB_QueryGetResults(handles.data());
    std::string names;
    for (const uint64_t handle : handles) {
      const char* name = DB_DataRecord_Name(handle);
      names += (names.empty() ? "" : " ") + std::string(name ? name : "<gone>");
    }
    return names;
  }
};

TEST_F(QueryTest, Table) {
  for (const QueryCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(DB_Query("SELECT RECORDS WHERE RECORD_TYPE=Armour"), 1u);
    Log().Clear();
    const std::string records = c.records;
    const auto count = records.empty() ? 0 : 1 + std::count(records.begin(), records.end(), ' ');
    EXPECT_EQ(DB_Query(c.query.c_str()), c.refused ? 0u : static_cast<uint64_t>(count));
    EXPECT_EQ(ResultNames(), records);
    EXPECT_EQ(Log().Lines(), LogLines(c.log));
  }
}

TEST_F(QueryTest, ResultsOutliveTheDatabase) {
  ASSERT_EQ(DB_Query("SELECT RECORDS WHERE RECORD_TYPE=Armour"), 1u);
  const uint64_t plate = DB_GetRecordByName("Plate");
  EXPECT_EQ(DB_Query(nullptr), 0u);
  DB_Close();
  ASSERT_EQ(DB_QueryGetResults(nullptr), 1u);
  uint64_t handle = 0;
  DB_QueryGetResults(&handle);
  EXPECT_EQ(handle, plate);
  EXPECT_EQ(DB_DataRecord_Name(handle), nullptr);
}

}  // namespace
