// Loading a database: both passes over the schema files, progress reports, the loader's own
// messages and the references resolved once every record is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_field.h"
#include "data/data_record.h"
#include "support/database_fixture.h"
#include "tessella.h"

namespace {

using Steps = std::vector<DatabaseFixture::ProgressStep>;
using Paths = std::vector<std::string>;

class Loader : public DatabaseFixture {};

// Progress names every file of both schema passes and every record, read or not.
TEST_F(Loader, EachSchemaFileIsReadOncePerPassAndMissingFilesStillCount) {
  AddSchema("a.sch", "struct A { };");
  AddMissingSchema("gone.sch");
  AddSchema("b.sch", "record B { };");
  AddRecord("one.xml", "<one __type=\"B\"/>");
  AddMissingRecord("two.xml");
  ASSERT_TRUE(Load());
  EXPECT_EQ(Files().SizeRequests(), (Paths{"a.sch", "gone.sch", "b.sch", "a.sch", "gone.sch",
                                           "b.sch", "one.xml", "two.xml"}));
  EXPECT_EQ(Files().LoadRequests(), (Paths{"a.sch", "b.sch", "a.sch", "b.sch", "one.xml"}));
  EXPECT_EQ(Progress(), (Steps{{0, "a.sch"},
                               {12, "gone.sch"},
                               {25, "b.sch"},
                               {37, "a.sch"},
                               {50, "gone.sch"},
                               {62, "b.sch"},
                               {75, "one.xml"},
                               {87, "two.xml"}}));
  EXPECT_EQ(Log().Lines(),
            LogLines("E Schema file gone.sch not found\nM Schema file loaded a.sch\n"
                     "E Schema file gone.sch not found\nM Schema file loaded b.sch\n"
                     "E two.xml was not loaded. Could not be found. Note the record filenames are "
                     "relative to the Data directory (at the moment). If this file was deleted "
                     "outside of Quillwork, please create a dummy and delete from within Quillwork."
                     "\nM Records Loaded: 2"));
  Reset();
  EXPECT_TRUE(Load());
  EXPECT_EQ(Log().Lines(), LogLines("M Records Loaded: 0"));
  EXPECT_TRUE(Progress().empty());
}

TEST_F(Loader, AFailingPassStopsBeforeItsProgressStep) {
  AddSchema("a.sch", "struct A { };");
  AddSchema("b.sch", "struct A { };");
  AddSchema("c.sch", "struct C { };");
  EXPECT_FALSE(Load());
  EXPECT_EQ(Progress(), (Steps{{0, "a.sch"}}));
  EXPECT_EQ(Files().SizeRequests(), (Paths{"a.sch", "b.sch"}));
  // Types declared before the failure exist until the next load or close.
  EXPECT_NE(DB_SchemaStruct("A"), 0u);
  EXPECT_EQ(DB_SchemaStruct("C"), 0u);
  Reset();
  AddSchema("a.sch", "struct A { Missing m; };");
  AddMissingRecord("r.xml");
  EXPECT_FALSE(Load());
  EXPECT_EQ(Progress(), (Steps{{0, "a.sch"}}));
  EXPECT_EQ(Log().Texts().back(), "[Error] [Tessella] Schema file failed to load a.sch");
  EXPECT_EQ(Files().SizeRequests(), (Paths{"a.sch", "b.sch", "a.sch", "a.sch"}));
}

TEST_F(Loader, MissingListsAndPathsArePassedOver) {
  Files().Add("a.sch", "record A { int32 x; };");
  Files().Add("a.xml", "<a __type=\"A\" x=\"3\" __hash=\"00000000-0000-4000-8000-0000000000aa\"/>");
  const char* schema[] = {nullptr, "a.sch"};
  const char* records[] = {"a.xml", nullptr};
  EXPECT_TRUE(DB_Load(MemoryFiles::Loader(), MemoryFiles::Sizer(), nullptr, 2, schema, 2, records));
  EXPECT_EQ(DB_GetRecordCount(), 1u);
  EXPECT_TRUE(DB_Load(MemoryFiles::Loader(), MemoryFiles::Sizer(), nullptr, 3, nullptr, 4000000000u,
                      nullptr));
  EXPECT_EQ(DB_GetRecordCount(), 0u);
}

// The handles a record's reference field stores, read without resolving anything on the way.
std::vector<uint64_t> StoredReferences(uint64_t record, const char* name) {
  const auto* references = Database::FieldAs<Database::ElementKind::RecordHandle>(
      Database::Resolve<Database::CDataRecord>(record)->FindField(name));
  const auto& elements = references->Values().Elements();
  return {elements.begin(), elements.end()};
}

TEST_F(Loader, ReferencesAreResolvedBeforeTheLoadReturns) {
  AddSchema("n.sch", "record Node { Node & Next; Node &[] Links; };");
  const std::string a = "00000000-0000-4000-8000-00000000000a";
  const std::string b = "00000000-0000-4000-8000-00000000000b";
  // a names b, read after it, and a hash no record has; b names a, read before it.
  AddRecord("a.xml", "<a __type=\"Node\" Next=\"" + b + "\" __hash=\"" + a +
                         "\"><Links><Record Value=\"00000000-0000-4000-8000-0000000000ff\"/>"
                         "<Record Value=\"" +
                         b + "\"/></Links></a>");
  AddRecord("b.xml", "<b __type=\"Node\" Next=\"" + a + "\" __hash=\"" + b + "\"/>");
  ASSERT_TRUE(Load());
  const uint64_t first = DB_GetRecordByName("a");
  const uint64_t second = DB_GetRecordByName("b");
  EXPECT_EQ(StoredReferences(first, "Next"), std::vector<uint64_t>{second});
  EXPECT_EQ(StoredReferences(first, "Links"), (std::vector<uint64_t>{0, second}));
  EXPECT_EQ(StoredReferences(second, "Next"), std::vector<uint64_t>{first});
}

}  // namespace
