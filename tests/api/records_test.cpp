#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/database_fixture.h"
#include "support/scratch_directory.h"
#include "tessella.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
using Handles = std::vector<uint64_t>;

constexpr const char* kSchema =
    "enum EKind { Melee, Ranged };\nstruct WeaponStats { double Crit; uint8[2] Levels; };\n"
    "record Weapon { int32 Damage; float Speed; string[] Tags; WeaponStats Stats; Weapon & "
    "Upgrade; };\nrecord Armour { int32 Defence; };\n";
constexpr const char* kSwordHash = "0a1b2c3d-0000-4000-8000-000000000001";
constexpr const char* kBowHash = "0a1b2c3d-0000-4000-8000-000000000002";

std::string Weapon(const std::string& name, const std::string& hash, int damage,
                   const std::string& upgrade = "") {
  return "<" + name + " __type=\"Weapon\" Damage=\"" + std::to_string(damage) + "\" Speed=\"1.5\"" +
         (upgrade.empty() ? "" : " Upgrade=\"" + upgrade + "\"") +
         (hash.empty() ? "" : " __hash=\"" + hash + "\"") +
         "><Tags><String Value=\"a\"/></Tags><Stats __type=\"WeaponStats\" Crit=\"0.25\"><Levels>"
         "<UInt8 Value=\"1\"/><UInt8 Value=\"-56\"/></Levels></Stats></" +
         name + ">\n";
}

std::string TextOf(const char* text) { return text ? text : "<null>"; }

// The record as one line: name, file, type, hash and whether it is dirty.
std::string Describe(uint64_t record) {
  return TextOf(DB_DataRecord_Name(record)) + " " + TextOf(DB_DataRecord_Filename(record)) + " " +
         TextOf(DB_DataRecord_SchemaName(record)) + " [" + TextOf(DB_DataRecord_Hash(record)) +
         "]" + (DB_DataRecord_IsDirty(record) ? " dirty" : "");
}

// The error line of a record name that cannot be a file name.
std::string BadName(const std::string& name) {
  return "E Record name \"" + name +
         "\" cannot be a file name: it must not be empty, \".\" or \"..\", nor hold \\ / : < > \" "
         "| ? * or control characters.\n";
}

class RecordsTest : public DatabaseFixture {
 protected:
  uint64_t Field(uint64_t structure, const char* name) {
    return DB_DataStruct_FieldByName(structure, name);
  }
  int32_t Damage(uint64_t record) {
    return DB_DataField_GetValueAsInt32(Field(record, "Damage"), 0);
  }
  // Loads the schema and the records, given as path and text, and forgets the log.
  void LoadRecords(const std::vector<std::pair<std::string, std::string>>& records) {
    AddSchema("items.sch", kSchema);
    for (const auto& [path, text] : records) AddRecord(path, text);
    ASSERT_TRUE(Load());
    Log().Clear();
  }
  const ScratchDirectory dir_;
};

// References resolve whichever record is read first; a repeated hash loads the record with an
// empty hash; the later of two names differing in case owns the name; a missing hash is made.
TEST_F(RecordsTest, LoadsRegistersAndResolvesReferencesAcrossFiles) {
  AddSchema("items.sch", kSchema);
  AddRecord("Weapons\\Sword.xml", Weapon("Sword", kSwordHash, 12, kBowHash));
  AddRecord("Weapons/Bow.Long.xml", Weapon("Bow", kBowHash, 7));
  AddRecord("b/SWORD.xml", Weapon("SWORD", kSwordHash, 2));
  AddRecord("fresh.xml", Weapon("fresh", "", 5));
  ASSERT_TRUE(Load());
  EXPECT_EQ(Log().Lines(), LogLines("M Schema file loaded items.sch\n"
                                    "X File(Database) Line(94) Function(Database::CDataRecord::"
                                    "SetHash) - Cannot set hash, Hash Collision on DataRecord "
                                    "SWORD\nM Records Loaded: 4"));
  ASSERT_EQ(DB_GetRecordCount(), 4u);
  const uint64_t* records = DB_GetRecords();
  const uint64_t sword = records[0];
  const uint64_t bow = records[1];
  EXPECT_EQ(Describe(sword) + "\n" + Describe(bow) + "\n" + Describe(records[2]),
            "Sword Weapons\\Sword.xml Weapon [0a1b2c3d-0000-4000-8000-000000000001]\n"
            "Bow.Long Weapons/Bow.Long.xml Weapon [0a1b2c3d-0000-4000-8000-000000000002]\n"
            "SWORD b/SWORD.xml Weapon []");
  EXPECT_EQ((Handles{DB_GetRecordByName("BOW.long"), DB_GetRecordByName("sword"),
                     DB_GetRecordByHash(kBowHash), DB_GetRecordByHash(kSwordHash),
                     DB_GetRecordByHash("0A1B2C3D-0000-4000-8000-000000000002"),
                     DB_DataField_GetValueAsRecord(Field(sword, "Upgrade"), 0),
                     DB_DataField_GetValueAsRecord(Field(bow, "Upgrade"), 0),
                     uint64_t(Damage(records[2])), uint64_t(Damage(sword))}),
            (Handles{bow, records[2], bow, sword, 0, bow, 0, 2, 12}));
  const std::string hash = DB_DataRecord_Hash(records[3]);
  EXPECT_EQ(hash.size(), 36u);
  EXPECT_EQ(hash.find_first_of("ABCDEF"), std::string::npos);
  EXPECT_TRUE(DB_DataRecord_IsDirty(records[3]));
  EXPECT_EQ(DB_GetRecordByHash(hash.c_str()), records[3]);
}

TEST_F(RecordsTest, RecordsThatCannotBeReadAreSkippedWithTheirMessage) {
  const struct {
    const char* name;
    std::string text;
    std::string errors;
  } kCases[] = {
      {"malformed", "<bad __type=\"Weapon\"><Tags></bad>",
       "E Error loading record bad.xml, XML_ERROR_MISMATCHED_ELEMENT -> Tags"},
      {"declaration first", "<?xml version=\"1.0\"?><bad __type=\"Weapon\"/>", ""},
      {"comment first", "<!-- note --><bad __type=\"Weapon\"/>", ""},
      {"no type", "<bad Damage=\"3\"/>", "E Record bad.xml has no __type specified."},
      {"unknown type", "<bad __type=\"Shield\"/>",
       "E Schema structure does not exist: Shield\nE Could not load in file bad.xml. Error."}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Reset();
    AddSchema("items.sch", kSchema);
    AddRecord("bad.xml", c.text);
    AddRecord("good.xml", Weapon("good", kSwordHash, 1));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Log().Lines(),
              LogLines("M Schema file loaded items.sch\n" + c.errors + "\nM Records Loaded: 2"));
    ASSERT_EQ(DB_GetRecordCount(), 1u);
    EXPECT_STREQ(DB_DataRecord_Name(DB_GetRecords()[0]), "good");
  }
}

// Exports write nothing: texts share one buffer that keeps its address; saving writes only dirty
// records, each as its export, and cleans them.
TEST_F(RecordsTest, ExportingAndSaving) {
  LoadRecords({{dir_.File("Fresh.xml"), Weapon("Fresh", "", 5)},
               {dir_.File("Kept.xml"), Weapon("Kept", kSwordHash, 6)}});
  const uint64_t fresh = DB_GetRecordByName("Fresh");
  const uint64_t kept = DB_GetRecordByName("Kept");
  EXPECT_TRUE(DB_ExportAll());
  EXPECT_FALSE(DB_DataRecord_Export(fresh));
  EXPECT_FALSE(DB_DataRecord_Export(kept));
  EXPECT_TRUE(fs::is_empty(dir_.File("")));
  EXPECT_TRUE(DB_DataRecord_IsDirty(fresh));
  EXPECT_TRUE(Log().Lines().empty());

  const char* text = DB_Export(kept);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text).rfind("<Kept __type=\"Weapon\" ", 0), 0u) << text;
  EXPECT_EQ(DB_Export(fresh), text) << "a longer text goes into the same place";
  const std::string exported = text;
  EXPECT_NE(exported.find(DB_DataRecord_Hash(fresh)), std::string::npos) << "the made hash";

  ASSERT_TRUE(DB_SaveAll());
  EXPECT_FALSE(DB_DataRecord_IsDirty(fresh));
  EXPECT_EQ(ScratchDirectory::Read(dir_.File("Fresh.xml")), exported);
  EXPECT_FALSE(fs::exists(dir_.File("Kept.xml")));
  EXPECT_EQ(Log().Lines(), LogLines("M Record Saved: \"" + dir_.File("Fresh.xml") + "\" "));
}

// A record whose file cannot be written, loaded or new, stays dirty and leaves no file.
TEST_F(RecordsTest, RecordsThatCannotBeWrittenStayDirty) {
  const std::string path = dir_.File("missing/Fresh.xml");
  LoadRecords({{path, Weapon("Fresh", "", 5)}});
  const uint64_t fresh = DB_GetRecordByName("Fresh");
  EXPECT_FALSE(DB_DataRecord_Save(fresh));
  const uint64_t lost = DB_CreateRecord("Weapon", dir_.File("missing/").c_str(), "Lost");
  ASSERT_NE(lost, 0u);
  EXPECT_TRUE(DB_SaveAll());
  EXPECT_EQ(Describe(fresh) + "\n" + Describe(lost),
            "Fresh " + path + " Weapon [" + DB_DataRecord_Hash(fresh) + "] dirty\nWeapon.Lost " +
                dir_.File("missing/Weapon.Lost.xml") + " Weapon [" + DB_DataRecord_Hash(lost) +
                "] dirty");
  const std::string error = "E File is not checked out, or is open in another program: \"";
  const std::string lostError = error + dir_.File("missing/Weapon.Lost.xml") + "\"\n";
  EXPECT_EQ(Log().Lines(),
            LogLines(error + path + "\"\n" + lostError + error + path + "\"\n" + lostError));
  EXPECT_FALSE(fs::exists(dir_.File("missing")));
}

TEST_F(RecordsTest, CreateNamesWritesAndRegistersANewRecord) {
  LoadRecords({});
  const std::string directory = dir_.File("");
  const uint64_t rifle = DB_CreateRecord("Weapon", directory.c_str(), "Rifle");
  ASSERT_NE(rifle, 0u);
  EXPECT_EQ(Describe(rifle), "Weapon.Rifle " + directory + "Weapon.Rifle.xml Weapon [" +
                                 DB_DataRecord_Hash(rifle) + "]");
  EXPECT_EQ(DB_GetRecordByName("weapon.rifle"), rifle);
  EXPECT_TRUE(fs::exists(directory + "Weapon.Rifle.xml"));
  EXPECT_EQ(DB_CreateRecord("WEAPON", directory.c_str(), "Rifle"), 0u);
  EXPECT_EQ(Log().Lines(), LogLines("M Record Saved: \"" + directory +
                                    "Weapon.Rifle.xml\" \n"
                                    "E Adding new record named \"Rifle\" failed. Already exists."));
  const uint64_t carbine = DB_CreateRecord("Weapon", directory.c_str(), "Carbine.xml");
  EXPECT_EQ(Describe(carbine), "Weapon.Carbine " + directory + "Weapon.Carbine.xml Weapon [" +
                                   DB_DataRecord_Hash(carbine) + "]");

  // A record of an unknown type is written without a type, so it cannot be loaded again.
  const uint64_t odd = DB_CreateRecord("Shield", directory.c_str(), "Odd");
  ASSERT_NE(odd, 0u);
  EXPECT_EQ(DB_DataRecord_SchemaName(odd), nullptr);
  const std::string written = ScratchDirectory::Read(dir_.File("Shield.Odd.xml"));
  EXPECT_NE(written.find(DB_DataRecord_Hash(odd)), std::string::npos) << written;
  EXPECT_EQ(written.find("__type"), std::string::npos) << written;
}

// A database whose schema failed to load may still be used: a structure that holds itself by
// value stops nesting, and a huge fixed array is bounded, when a record of it is built.
TEST_F(RecordsTest, RecordsOfAFailedSchemaAreBounded) {
  AddSchema("bad.sch",
            "struct Node { int32 x; Node Inner; };\nrecord Tree { Node Root; };\n"
            "record Big { uint8[4000000000] Cells; };");
  EXPECT_FALSE(Load());
  Log().Clear();
  ASSERT_NE(DB_CreateRecord("Tree", dir_.File("").c_str(), "Deep"), 0u);
  EXPECT_EQ(Log().Texts(TESSELLA_LOG_ERROR),
            Texts{"[Error] [Tessella] Structure Node nests deeper than 256 levels; its fields were "
                  "not built."});
  const uint64_t big = DB_CreateRecord("Big", dir_.File("").c_str(), "Huge");
  EXPECT_EQ(DB_DataField_GetArrayElementCount(Field(big, "Cells")), 1000000u);
}

TEST_F(RecordsTest, LoadRecordAndReload) {
  LoadRecords({{"Sword.xml", Weapon("Sword", kSwordHash, 12)}});
  Files().Add("Extra.xml", Weapon("Extra", kBowHash, 9));
  const uint64_t extra = DB_LoadRecord("Extra.xml");
  ASSERT_NE(extra, 0u);
  EXPECT_EQ(DB_GetRecords()[1], extra);
  EXPECT_EQ(Damage(extra), 9);
  EXPECT_EQ(DB_LoadRecord("Nowhere.xml"), 0u);
  EXPECT_EQ(DB_LoadRecord(nullptr), 0u);

  // A reload reads the file into the same record and structures; the file's hash is not read.
  const uint64_t sword = DB_GetRecordByName("Sword");
  const uint64_t stats = DB_DataField_GetValueAsStruct(Field(sword, "Stats"), 0);
  Files().Add("Sword.xml", Weapon("Sword", "ffffffff-0000-4000-8000-000000000009", 30));
  Log().Clear();
  EXPECT_TRUE(DB_ReloadRecordByName("SWORD"));
  EXPECT_EQ(Damage(sword), 30);
  EXPECT_STREQ(DB_DataRecord_Hash(sword), kSwordHash);
  EXPECT_EQ(DB_DataField_GetValueAsStruct(Field(sword, "Stats"), 0), stats);
  Files().Add("Sword.xml", "<Sword><Tags></Sword>");
  EXPECT_FALSE(DB_ReloadRecord(sword));
  Files().Remove("Sword.xml");
  EXPECT_FALSE(DB_ReloadRecord(sword));
  EXPECT_EQ(Log().Lines(), LogLines("M Sword.xml Reloaded.\nE Error loading record Sword.xml, "
                                    "XML_ERROR_MISMATCHED_ELEMENT -> Tags"));
  EXPECT_EQ(Damage(sword), 30);
  const size_t sizeRequests = Files().SizeRequests().size();
  EXPECT_FALSE(DB_ReloadRecordByName("Nobody"));
  EXPECT_EQ(Files().SizeRequests().size(), sizeRequests);
}

TEST_F(RecordsTest, RemoveDeletesTheFileAndTheRecordOrKeepsBoth) {
  LoadRecords({});
  const uint64_t rifle = DB_CreateRecord("Weapon", dir_.File("").c_str(), "Rifle");
  EXPECT_FALSE(DB_RemoveRecord(rifle, false));
  EXPECT_EQ(DB_GetRecordCount(), 1u);
  EXPECT_FALSE(DB_RemoveRecord(rifle, true));
  EXPECT_EQ(DB_GetRecordCount(), 0u);
  EXPECT_EQ(DB_GetRecords(), nullptr);
  EXPECT_FALSE(fs::exists(dir_.File("Weapon.Rifle.xml")));
  // The record no longer resolves; its name entry still names the dead handle.
  EXPECT_EQ(DB_DataRecord_Name(rifle), nullptr);
  EXPECT_EQ(DB_GetRecordByName("Weapon.Rifle"), rifle);

  Files().Add("Ghost.xml", Weapon("Ghost", kSwordHash, 1));
  const uint64_t ghost = DB_LoadRecord("Ghost.xml");
  Log().Clear();
  EXPECT_FALSE(DB_RemoveRecord(ghost, true));
  EXPECT_EQ(Log().Lines(), LogLines("E Could not delete record from disk. \"Ghost.xml\". Read "
                                    "only? If its versioned, please use Perforce Delete. "));
  EXPECT_EQ(DB_GetRecordCount(), 1u);
  EXPECT_STREQ(DB_DataRecord_Name(ghost), "Ghost");
}

// Renaming changes only the file name; no name leads a save outside the record's directory.
TEST_F(RecordsTest, RenameAndNamesThatCouldLeaveTheDirectory) {
  LoadRecords({{"Libs\\Weapons\\Weapon.Rifle.xml", Weapon("Weapon.Rifle", kSwordHash, 1)},
               {"Libs/Weapon.Bow.xml", Weapon("Weapon.Bow", kBowHash, 1)}});
  const uint64_t rifle = DB_GetRecordByName("Weapon.Rifle");
  const uint64_t bow = DB_GetRecordByName("Weapon.Bow");
  EXPECT_TRUE(DB_DataRecord_Rename(rifle, "Weapon.Carbine"));
  EXPECT_TRUE(DB_DataRecord_Rename(bow, "Weapon.Longbow"));
  EXPECT_EQ(Describe(rifle) + "\n" + Describe(bow),
            "Weapon.Rifle Libs\\Weapons\\Weapon.Carbine.xml Weapon [" + std::string(kSwordHash) +
                "]\nWeapon.Bow \\Weapon.Longbow.xml Weapon [" + kBowHash + "]");
  EXPECT_FALSE(DB_DataRecord_Rename(0, "x"));
  EXPECT_FALSE(DB_DataRecord_Rename(rifle, nullptr));
  for (const char* name : {"..\\..\\x", "sub/x", "c:x", "", ".", "..", "a\tb", "a<b", "a|b", "a?",
                           "a*", "a\"b", "a>b"}) {
    SCOPED_TRACE(name);
    Log().Clear();
    EXPECT_FALSE(DB_DataRecord_Rename(rifle, name));
    EXPECT_EQ(DB_CreateRecord("Weapon", dir_.File("").c_str(), name), 0u);
    EXPECT_EQ(Log().Lines(), LogLines(BadName(name) + BadName(name)));
  }
  EXPECT_STREQ(DB_DataRecord_Filename(rifle), "Libs\\Weapons\\Weapon.Carbine.xml");
  EXPECT_EQ(DB_GetRecordCount(), 2u);
}

}  // namespace
