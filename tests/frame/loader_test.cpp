// Loading a database: both passes over the schema files, progress reports and the loader's own
// messages. References resolved once every record is read are checked by the records tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  EXPECT_EQ(Log().Texts(TESSELLA_LOG_ERROR).back(),
            "[Error] [Tessella] Schema file failed to load a.sch");
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

}  // namespace
