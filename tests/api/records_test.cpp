#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/database_fixture.h"
#include "support/scratch_directory.h"
#include "tessella.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSchema = R"(enum EKind { Melee, Ranged };
struct WeaponStats
{
    double Crit;
    uint8[2] Levels;
};
record Weapon
{
    int32 Damage;
    float Speed;
    string[] Tags;
    WeaponStats Stats;
    Weapon & Upgrade;
};
record Armour
{
    int32 Defence;
};
)";

constexpr const char* kSwordHash = "0a1b2c3d-0000-4000-8000-000000000001";
constexpr const char* kBowHash = "0a1b2c3d-0000-4000-8000-000000000002";

std::string Weapon(const std::string& name, const std::string& hash, int damage,
                   const std::string& upgrade = "") {
  std::ostringstream text;
  text << "<" << name << " __type=\"Weapon\" Damage=\"" << damage << "\" Speed=\"1.5\"";
  if (!upgrade.empty()) text << " Upgrade=\"" << upgrade << "\"";
  if (!hash.empty()) text << " __hash=\"" << hash << "\"";
  text << ">\n  <Tags>\n    <String Value=\"a\"/>\n  </Tags>\n"
       << "  <Stats __type=\"WeaponStats\" Crit=\"0.25\">\n"
       << "    <Levels>\n      <UInt8 Value=\"1\"/>\n      <UInt8 Value=\"-56\"/>\n"
       << "    </Levels>\n  </Stats>\n</" << name << ">\n";
  return text.str();
}

class RecordsTest : public DatabaseFixture {
 protected:
  uint64_t Field(uint64_t structure, const char* name) {
    return DB_DataStruct_FieldByName(structure, name);
  }
  int32_t Damage(uint64_t record) {
    return DB_DataField_GetValueAsInt32(Field(record, "Damage"), 0);
  }
};

TEST_F(RecordsTest, LoadsRegistersAndResolvesReferencesAcrossFiles) {
  AddSchema("items.sch", kSchema);
  // The sword references the bow, which is read after it.
  AddRecord("Weapons\\Sword.xml", Weapon("Sword", kSwordHash, 12, kBowHash));
  AddRecord("Weapons/Bow.Long.xml", Weapon("Bow", kBowHash, 7));
  ASSERT_TRUE(Load());
  EXPECT_EQ(Log().Texts().back(), "[Message] [Tessella] Records Loaded: 2");
  ASSERT_EQ(DB_GetRecordCount(), 2u);
  const uint64_t sword = DB_GetRecords()[0];
  const uint64_t bow = DB_GetRecords()[1];
  EXPECT_STREQ(DB_DataRecord_Name(sword), "Sword");
  EXPECT_STREQ(DB_DataRecord_Name(bow), "Bow.Long");
  EXPECT_STREQ(DB_DataRecord_Filename(sword), "Weapons\\Sword.xml");
  EXPECT_STREQ(DB_DataRecord_SchemaName(sword), "Weapon");
  EXPECT_STREQ(DB_DataRecord_Hash(bow), kBowHash);
  EXPECT_FALSE(DB_DataRecord_IsDirty(sword));
  EXPECT_EQ(DB_GetRecordByName("BOW.long"), bow);
  EXPECT_EQ(DB_GetRecordByHash(kBowHash), bow);
  EXPECT_EQ(DB_GetRecordByHash("0A1B2C3D-0000-4000-8000-000000000002"), 0u);
  EXPECT_EQ(DB_DataField_GetValueAsRecord(Field(sword, "Upgrade"), 0), bow);
  EXPECT_EQ(DB_DataField_GetValueAsRecord(Field(bow, "Upgrade"), 0), 0u);
  EXPECT_EQ(Damage(sword), 12);
}

TEST_F(RecordsTest, ProgressCountsEveryFileStepIncludingFailedRecords) {
  AddSchema("a.sch", kSchema);
  AddSchema("b.sch", "struct Extra { int32 X; };");
  AddRecord("one.xml", Weapon("one", "", 1));
  AddMissingRecord("two.xml");
  AddRecord("three.xml", Weapon("three", "", 3));
  ASSERT_TRUE(Load());
  const std::vector<ProgressStep> expected = {{0, "a.sch"},     {14, "b.sch"},   {28, "a.sch"},
                                              {42, "b.sch"},    {57, "one.xml"}, {71, "two.xml"},
                                              {85, "three.xml"}};
  EXPECT_EQ(Progress(), expected);
  EXPECT_EQ(DB_GetRecordCount(), 2u);
  EXPECT_EQ(Log().Texts().back(), "[Message] [Tessella] Records Loaded: 3");
}

struct SkipCase {
  const char* name;
  std::string text;  // empty: the file is missing
  std::vector<std::string> errors;
};

TEST_F(RecordsTest, RecordsThatCannotBeReadAreSkippedWithTheirMessage) {
  const SkipCase cases[] = {
      {"missing file",
       "",
       {"[Error] [Tessella] bad.xml was not loaded. Could not be found. Note the record "
        "filenames are relative to the Data directory (at the moment). If this file was deleted "
        "outside of Quillwork, please create a dummy and delete from within Quillwork."}},
      {"malformed",
       "<bad __type=\"Weapon\"><Tags></bad>",
       {"[Error] [Tessella] Error loading record bad.xml, XML_ERROR_MISMATCHED_ELEMENT -> Tags"}},
      {"declaration first", "<?xml version=\"1.0\"?><bad __type=\"Weapon\"/>", {}},
      {"comment first", "<!-- note --><bad __type=\"Weapon\"/>", {}},
      {"no type",
       "<bad Damage=\"3\"/>",
       {"[Error] [Tessella] Record bad.xml has no __type specified."}},
      {"unknown type",
       "<bad __type=\"Shield\"/>",
       {"[Error] [Tessella] Schema structure does not exist: Shield",
        "[Error] [Tessella] Could not load in file bad.xml. Error."}},
  };
  for (const SkipCase& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    AddSchema("items.sch", kSchema);
    if (c.text.empty()) {
      AddMissingRecord("bad.xml");
    } else {
      AddRecord("bad.xml", c.text);
    }
    AddRecord("good.xml", Weapon("good", kSwordHash, 1));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Log().Texts(TESSELLA_LOG_ERROR), c.errors);
    EXPECT_TRUE(Log().Texts(TESSELLA_LOG_EXCEPTION).empty());
    ASSERT_EQ(DB_GetRecordCount(), 1u);
    EXPECT_STREQ(DB_DataRecord_Name(DB_GetRecords()[0]), "good");
  }
}

TEST_F(RecordsTest, HashCollisionLoadsTheSecondRecordWithAnEmptyHash) {
  AddSchema("items.sch", kSchema);
  AddRecord("first.xml", Weapon("first", kSwordHash, 1));
  AddRecord("second.xml", Weapon("second", kSwordHash, 2));
  ASSERT_TRUE(Load());
  EXPECT_EQ(Log().Texts(TESSELLA_LOG_EXCEPTION),
            std::vector<std::string>{
                "[Exception] [Tessella] File(Database) Line(94) "
                "Function(Database::CDataRecord::SetHash) - Cannot set hash, Hash Collision on "
                "DataRecord second"});
  ASSERT_EQ(DB_GetRecordCount(), 2u);
  EXPECT_STREQ(DB_DataRecord_Hash(DB_GetRecords()[1]), "");
  EXPECT_EQ(DB_GetRecordByHash(kSwordHash), DB_GetRecords()[0]);
  EXPECT_EQ(Damage(DB_GetRecordByName("second")), 2);
}

TEST_F(RecordsTest, MissingHashGivesANewHashAndADirtyRecord) {
  AddSchema("items.sch", kSchema);
  AddRecord("fresh.xml", Weapon("fresh", "", 5));
  ASSERT_TRUE(Load());
  const uint64_t fresh = DB_GetRecordByName("fresh");
  ASSERT_NE(fresh, 0u);
  const std::string hash = DB_DataRecord_Hash(fresh);
  EXPECT_EQ(hash.size(), 36u);
  EXPECT_EQ(hash.find_first_of("ABCDEF"), std::string::npos);
  EXPECT_TRUE(DB_DataRecord_IsDirty(fresh));
  EXPECT_EQ(DB_GetRecordByHash(hash.c_str()), fresh);
}

TEST_F(RecordsTest, NamesDifferingInCaseBothLoadAndTheLaterOneOwnsTheName) {
  AddSchema("items.sch", kSchema);
  AddRecord("a/Sword.xml", Weapon("Sword", kSwordHash, 1));
  AddRecord("b/SWORD.xml", Weapon("SWORD", kBowHash, 2));
  ASSERT_TRUE(Load());
  EXPECT_EQ(DB_GetRecordCount(), 2u);
  EXPECT_EQ(DB_GetRecordByName("sword"), DB_GetRecords()[1]);
}

TEST_F(RecordsTest, ExportsShareOneBufferThatKeepsItsAddress) {
  AddSchema("items.sch", kSchema);
  AddRecord("Bow.xml", Weapon("Bow", kBowHash, 7));
  AddRecord("Sword.xml", Weapon("Sword", kSwordHash, 12));
  ASSERT_TRUE(Load());
  const char* text = DB_Export(DB_GetRecordByName("Bow"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(DB_Export(0), nullptr);
  EXPECT_EQ(std::string(text).rfind("<Bow __type=\"Weapon\" ", 0), 0u) << text;
  // A longer text goes into the same place, so the first pointer shows it.
  EXPECT_EQ(DB_Export(DB_GetRecordByName("Sword")), text);
  const std::string exported = text;
  EXPECT_EQ(exported.rfind("<Sword __type=\"Weapon\" ", 0), 0u) << exported;
  const std::string firstLine = exported.substr(0, exported.find('\n'));
  EXPECT_TRUE(firstLine.ends_with(std::string(" __hash=\"") + kSwordHash + "\">")) << firstLine;
}

TEST_F(RecordsTest, SavingWritesDirtyRecordsAndCleansThem) {
  const ScratchDirectory dir;
  AddSchema("items.sch", kSchema);
  AddRecord(dir.File("Fresh.xml"), Weapon("Fresh", "", 5));
  AddRecord(dir.File("Kept.xml"), Weapon("Kept", kSwordHash, 6));
  ASSERT_TRUE(Load());
  const uint64_t fresh = DB_GetRecordByName("Fresh");
  ASSERT_TRUE(DB_SaveAll());
  EXPECT_FALSE(DB_DataRecord_IsDirty(fresh));
  const std::string written = ScratchDirectory::Read(dir.File("Fresh.xml"));
  EXPECT_NE(written.find(std::string("__hash=\"") + DB_DataRecord_Hash(fresh) + "\""),
            std::string::npos);
  EXPECT_FALSE(fs::exists(dir.File("Kept.xml")));  // clean records are not written
  EXPECT_EQ(Log().Texts().back(),
            "[Message] [Tessella] Record Saved: \"" + dir.File("Fresh.xml") + "\" ");
  // What was written loads back as the same record.
  EXPECT_EQ(written, DB_Export(fresh));
}

TEST_F(RecordsTest, ARecordThatCannotBeWrittenStaysDirty) {
  const ScratchDirectory dir;
  AddSchema("items.sch", kSchema);
  const std::string path = dir.File("missing_dir/Fresh.xml");
  AddRecord(path, Weapon("Fresh", "", 5));
  ASSERT_TRUE(Load());
  const uint64_t fresh = DB_GetRecordByName("Fresh");
  Log().Clear();
  EXPECT_FALSE(DB_DataRecord_Save(fresh));
  EXPECT_TRUE(DB_SaveAll());
  EXPECT_TRUE(DB_DataRecord_IsDirty(fresh));
  const std::string error =
      "[Error] [Tessella] File is not checked out, or is open in another program: \"" + path + "\"";
  EXPECT_EQ(Log().Texts(), (std::vector<std::string>{error, error}));
}

TEST_F(RecordsTest, ExportAllAndRecordExportWriteAndChangeNothing) {
  const ScratchDirectory dir;
  AddSchema("items.sch", kSchema);
  AddRecord(dir.File("Fresh.xml"), Weapon("Fresh", "", 1));
  AddRecord(dir.File("Kept.xml"), Weapon("Kept", kSwordHash, 2));
  ASSERT_TRUE(Load());
  Log().Clear();
  EXPECT_TRUE(DB_ExportAll());
  EXPECT_FALSE(DB_DataRecord_Export(DB_GetRecordByName("Fresh")));
  EXPECT_FALSE(DB_DataRecord_Export(DB_GetRecordByName("Kept")));
  EXPECT_TRUE(fs::is_empty(dir.File("")));
  EXPECT_TRUE(DB_DataRecord_IsDirty(DB_GetRecordByName("Fresh")));
  EXPECT_TRUE(Log().Lines().empty());
}

TEST_F(RecordsTest, CreateNamesWritesAndRegistersANewRecord) {
  const ScratchDirectory dir;
  AddSchema("items.sch", kSchema);
  ASSERT_TRUE(Load());
  const std::string directory = dir.File("");
  const uint64_t rifle = DB_CreateRecord("Weapon", directory.c_str(), "Rifle");
  ASSERT_NE(rifle, 0u);
  EXPECT_STREQ(DB_DataRecord_Name(rifle), "Weapon.Rifle");
  EXPECT_EQ(DB_DataRecord_Filename(rifle), directory + "Weapon.Rifle.xml");
  EXPECT_EQ(std::string(DB_DataRecord_Hash(rifle)).size(), 36u);
  EXPECT_FALSE(DB_DataRecord_IsDirty(rifle));
  EXPECT_EQ(DB_GetRecordByName("weapon.rifle"), rifle);
  EXPECT_EQ(DB_GetRecordByHash(DB_DataRecord_Hash(rifle)), rifle);
  ASSERT_EQ(DB_GetRecordCount(), 1u);
  EXPECT_TRUE(fs::exists(directory + "Weapon.Rifle.xml"));
  // Default values: a single Int32 holds 0, a by-value structure is built.
  EXPECT_EQ(Damage(rifle), 0);
  EXPECT_NE(DB_DataField_GetValueAsStruct(Field(rifle, "Stats"), 0), 0u);

  Log().Clear();
  EXPECT_EQ(DB_CreateRecord("WEAPON", directory.c_str(), "Rifle"), 0u);
  EXPECT_EQ(Log().Texts(),
            std::vector<std::string>{"[Error] [Tessella] Adding new record named \"Rifle\" failed. "
                                     "Already exists."});
  const uint64_t carbine = DB_CreateRecord("Weapon", directory.c_str(), "Carbine.xml");
  EXPECT_EQ(DB_DataRecord_Filename(carbine), directory + "Weapon.Carbine.xml");
  EXPECT_STREQ(DB_DataRecord_Name(carbine), "Weapon.Carbine");
}

TEST_F(RecordsTest, CreateWithAnUnknownTypeMakesARecordThatCannotBeLoadedAgain) {
  const ScratchDirectory dir;
  AddSchema("items.sch", kSchema);
  ASSERT_TRUE(Load());
  const uint64_t odd = DB_CreateRecord("Shield", dir.File("").c_str(), "Odd");
  ASSERT_NE(odd, 0u);
  EXPECT_EQ(DB_DataRecord_SchemaName(odd), nullptr);
  const std::string written = ScratchDirectory::Read(dir.File("Shield.Odd.xml"));
  EXPECT_EQ(written.find("__type"), std::string::npos);
  Files().Add(dir.File("Shield.Odd.xml"), written);
  Log().Clear();
  EXPECT_EQ(DB_LoadRecord(dir.File("Shield.Odd.xml").c_str()), 0u);
  // The file carries the hash of the record already registered, so the collision shows too.
  EXPECT_EQ(Log().Texts(),
            (std::vector<std::string>{
                "[Exception] [Tessella] File(Database) Line(94) "
                "Function(Database::CDataRecord::SetHash) - Cannot set hash, Hash Collision on "
                "DataRecord Shield.Odd",
                "[Error] [Tessella] Record " + dir.File("Shield.Odd.xml") +
                    " has no __type specified."}));
}

// A database whose schema failed to load may still be used; a structure that holds itself by
// value must not take the library down when a record of it is built.
TEST_F(RecordsTest, SelfContainingStructuresStopNestingInAFailedDatabase) {
  const ScratchDirectory dir;
  AddSchema("loop.sch", "struct Node { int32 x; Node Inner; };\nrecord Tree { Node Root; };");
  EXPECT_FALSE(Load());
  Log().Clear();
  const uint64_t tree = DB_CreateRecord("Tree", dir.File("").c_str(), "Deep");
  ASSERT_NE(tree, 0u);
  EXPECT_EQ(Log().Texts(TESSELLA_LOG_ERROR),
            std::vector<std::string>{"[Error] [Tessella] Structure Node nests deeper than 256 "
                                     "levels; its fields were not built."});
}

TEST_F(RecordsTest, HugeFixedArraysAreBoundedInAFailedDatabase) {
  const ScratchDirectory dir;
  AddSchema("big.sch", "record Big { uint8[4000000000] Cells; };");
  EXPECT_FALSE(Load());
  const uint64_t big = DB_CreateRecord("Big", dir.File("").c_str(), "Huge");
  ASSERT_NE(big, 0u);
  EXPECT_EQ(DB_DataField_GetArrayElementCount(Field(big, "Cells")), 1000000u);
}

TEST_F(RecordsTest, LoadRecordAddsOneMoreRecord) {
  AddSchema("items.sch", kSchema);
  ASSERT_TRUE(Load());
  Files().Add("Extra.xml", Weapon("Extra", kSwordHash, 9));
  const uint64_t extra = DB_LoadRecord("Extra.xml");
  ASSERT_NE(extra, 0u);
  EXPECT_EQ(DB_GetRecords()[0], extra);
  EXPECT_EQ(Damage(extra), 9);
  EXPECT_EQ(DB_LoadRecord("Nowhere.xml"), 0u);
  EXPECT_EQ(DB_LoadRecord(nullptr), 0u);
}

TEST_F(RecordsTest, ReloadReadsTheFileIntoTheSameRecord) {
  AddSchema("items.sch", kSchema);
  AddRecord("Sword.xml", Weapon("Sword", kSwordHash, 12));
  ASSERT_TRUE(Load());
  const uint64_t sword = DB_GetRecordByName("Sword");
  const uint64_t stats = DB_DataField_GetValueAsStruct(Field(sword, "Stats"), 0);
  Files().Add("Sword.xml", Weapon("Sword", "ffffffff-0000-4000-8000-000000000009", 30));
  Log().Clear();
  EXPECT_TRUE(DB_ReloadRecordByName("SWORD"));
  EXPECT_EQ(Log().Texts(), std::vector<std::string>{"[Message] [Tessella] Sword.xml Reloaded."});
  EXPECT_EQ(Damage(sword), 30);
  EXPECT_STREQ(DB_DataRecord_Hash(sword), kSwordHash);  // the file's hash is not read again
  EXPECT_EQ(DB_DataField_GetValueAsStruct(Field(sword, "Stats"), 0), stats);

  Files().Add("Sword.xml", "<Sword><Tags></Sword>");
  Log().Clear();
  EXPECT_FALSE(DB_ReloadRecord(sword));
  EXPECT_EQ(Log().Texts(),
            std::vector<std::string>{"[Error] [Tessella] Error loading record Sword.xml, "
                                     "XML_ERROR_MISMATCHED_ELEMENT -> Tags"});
  Files().Remove("Sword.xml");
  Log().Clear();
  EXPECT_FALSE(DB_ReloadRecord(sword));
  EXPECT_TRUE(Log().Lines().empty());
  EXPECT_EQ(Damage(sword), 30);
  const size_t sizeRequests = Files().SizeRequests().size();
  EXPECT_FALSE(DB_ReloadRecordByName("Nobody"));
  EXPECT_EQ(Files().SizeRequests().size(), sizeRequests);
}

TEST_F(RecordsTest, RemoveDeletesTheFileAndTheRecord) {
  const ScratchDirectory dir;
  AddSchema("items.sch", kSchema);
  ASSERT_TRUE(Load());
  const uint64_t rifle = DB_CreateRecord("Weapon", dir.File("").c_str(), "Rifle");
  const uint64_t stats = DB_DataField_GetValueAsStruct(Field(rifle, "Stats"), 0);
  const uint64_t damage = Field(rifle, "Damage");
  ASSERT_NE(stats, 0u);
  EXPECT_FALSE(DB_RemoveRecord(rifle, false));
  EXPECT_EQ(DB_GetRecordCount(), 1u);
  EXPECT_FALSE(DB_RemoveRecord(rifle, true));
  EXPECT_EQ(DB_GetRecordCount(), 0u);
  EXPECT_EQ(DB_GetRecords(), nullptr);
  EXPECT_FALSE(fs::exists(dir.File("Weapon.Rifle.xml")));
  // Nothing of the record resolves any more; its name entry still names the dead handle.
  EXPECT_EQ(DB_DataRecord_Name(rifle), nullptr);
  EXPECT_EQ(DB_DataStruct_GetParent(stats), 0u);
  EXPECT_EQ(DB_DataField_GetType(damage), 0u);
  EXPECT_EQ(DB_GetRecordByName("Weapon.Rifle"), rifle);
}

TEST_F(RecordsTest, RemoveKeepsARecordWhoseFileCannotBeDeleted) {
  AddSchema("items.sch", kSchema);
  AddRecord("Ghost.xml", Weapon("Ghost", kSwordHash, 1));
  ASSERT_TRUE(Load());
  const uint64_t ghost = DB_GetRecordByName("Ghost");
  Log().Clear();
  EXPECT_FALSE(DB_RemoveRecord(ghost, true));
  EXPECT_EQ(Log().Texts(), std::vector<std::string>{
                               "[Error] [Tessella] Could not delete record from disk. "
                               "\"Ghost.xml\". Read only? If its versioned, please use Perforce "
                               "Delete. "});
  EXPECT_EQ(DB_GetRecordCount(), 1u);
  EXPECT_STREQ(DB_DataRecord_Name(ghost), "Ghost");
}

TEST_F(RecordsTest, RenameChangesOnlyTheFileName) {
  AddSchema("items.sch", kSchema);
  AddRecord("Libs\\Weapons\\Weapon.Rifle.xml", Weapon("Weapon.Rifle", kSwordHash, 1));
  AddRecord("Libs/Weapon.Bow.xml", Weapon("Weapon.Bow", kBowHash, 1));
  ASSERT_TRUE(Load());
  const uint64_t rifle = DB_GetRecordByName("Weapon.Rifle");
  EXPECT_TRUE(DB_DataRecord_Rename(rifle, "Weapon.Carbine"));
  EXPECT_STREQ(DB_DataRecord_Filename(rifle), "Libs\\Weapons\\Weapon.Carbine.xml");
  EXPECT_STREQ(DB_DataRecord_Name(rifle), "Weapon.Rifle");
  const uint64_t bow = DB_GetRecordByName("Weapon.Bow");
  EXPECT_TRUE(DB_DataRecord_Rename(bow, "Weapon.Longbow"));
  EXPECT_STREQ(DB_DataRecord_Filename(bow), "\\Weapon.Longbow.xml");
  EXPECT_FALSE(DB_DataRecord_Rename(0, "x"));
  EXPECT_FALSE(DB_DataRecord_Rename(rifle, nullptr));
}

// No name leads a save outside the record's directory.
TEST_F(RecordsTest, NamesThatCouldLeaveTheDirectoryAreRefused) {
  const ScratchDirectory dir;
  AddSchema("items.sch", kSchema);
  ASSERT_TRUE(Load());
  const uint64_t rifle = DB_CreateRecord("Weapon", dir.File("").c_str(), "Rifle");
  const std::string file = DB_DataRecord_Filename(rifle);
  for (const char* name : {"..\\..\\x", "sub/x", "c:x", "", ".", "..", "a\tb", "a<b", "a|b", "a?",
                           "a*", "a\"b", "a>b"}) {
    SCOPED_TRACE(name);
    Log().Clear();
    EXPECT_FALSE(DB_DataRecord_Rename(rifle, name));
    EXPECT_EQ(DB_CreateRecord("Weapon", dir.File("").c_str(), name), 0u);
    const std::string line = "E Record name \"" + std::string(name) +
                             "\" cannot be a file name: it must not be empty, \".\" or \"..\", "
                             "nor hold \\ / : < > \" | ? * or control characters.";
    EXPECT_EQ(Log().Lines(), LogLines(line + "\n" + line));
  }
  EXPECT_EQ(DB_DataRecord_Filename(rifle), file);
  EXPECT_EQ(DB_GetRecordCount(), 1u);
  // A new record whose file cannot be written is kept dirty, and no file is left behind.
  const uint64_t lost = DB_CreateRecord("Weapon", dir.File("missing/").c_str(), "Lost");
  ASSERT_NE(lost, 0u);
  EXPECT_TRUE(DB_DataRecord_IsDirty(lost));
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("missing")));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("missing")));
  DB_SaveAll();
  EXPECT_FALSE(DB_DataRecord_IsDirty(lost));
  EXPECT_FALSE(ScratchDirectory::Read(dir.File("missing/Weapon.Lost.xml")).empty());
}

TEST_F(RecordsTest, InvalidHandlesGiveNeutralResults) {
  AddSchema("items.sch", kSchema);
  ASSERT_TRUE(Load());
  const uint64_t schemaHandle = DB_SchemaStruct("Weapon");
  for (const uint64_t handle : {uint64_t{0}, uint64_t{~0ull}, schemaHandle}) {
    SCOPED_TRACE(handle);
    EXPECT_EQ(DB_DataRecord_Name(handle), nullptr);
    EXPECT_STREQ(DB_DataRecord_Filename(handle), "");
    EXPECT_EQ(DB_DataRecord_SchemaName(handle), nullptr);
    EXPECT_EQ(DB_DataRecord_Hash(handle), nullptr);
    EXPECT_FALSE(DB_DataRecord_IsDirty(handle));
    EXPECT_EQ(DB_Export(handle), nullptr);
    EXPECT_TRUE(DB_DataRecord_Export(handle));
    EXPECT_FALSE(DB_DataRecord_Save(handle));
    EXPECT_FALSE(DB_ReloadRecord(handle));
    EXPECT_FALSE(DB_RemoveRecord(handle, true));
  }
  EXPECT_EQ(DB_GetRecordByName(nullptr), 0u);
  EXPECT_EQ(DB_GetRecordByHash(nullptr), 0u);
  EXPECT_EQ(DB_CreateRecord(nullptr, "", "x"), 0u);
}

TEST(RecordsWithoutDatabase, LoadAndReloadCallNothingBeforeAnyLoad) {
  EXPECT_EQ(DB_GetRecordCount(), 0u);
  EXPECT_EQ(DB_GetRecords(), nullptr);
  EXPECT_EQ(DB_LoadRecord("Sword.xml"), 0u);
  EXPECT_FALSE(DB_ReloadRecordByName("Sword"));
}

}  // namespace
