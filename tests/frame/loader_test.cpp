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

class Loader : public DatabaseFixture {};

TEST_F(Loader, ProgressCountsEachSchemaFileTwiceAndEachRecordPathOnce) {
  AddSchema("one.sch", "struct A { int32 a; };");
  AddSchema("two.sch", "record B { A a; };");
  AddMissingRecord("r1.xml");
  AddMissingRecord("r2.xml");
  AddMissingRecord("r3.xml");
  ASSERT_TRUE(Load());
  EXPECT_EQ(Progress(), (Steps{{0, "one.sch"},
                               {14, "two.sch"},
                               {28, "one.sch"},
                               {42, "two.sch"},
                               {57, "r1.xml"},
                               {71, "r2.xml"},
                               {85, "r3.xml"}}));
  EXPECT_EQ(Log().Texts(1),
            (std::vector<std::string>{"[Message] [Tessella] Schema file loaded one.sch",
                                      "[Message] [Tessella] Schema file loaded two.sch",
                                      "[Message] [Tessella] Records Loaded: 3"}));
}

TEST_F(Loader, EachSchemaFileIsReadOncePerPass) {
  AddSchema("one.sch", "struct A { };");
  AddSchema("two.sch", "struct B { };");
  ASSERT_TRUE(LoadWithoutProgress());
  const std::vector<std::string> order = {"one.sch", "two.sch", "one.sch", "two.sch"};
  EXPECT_EQ(Files().SizeRequests(), order);
  EXPECT_EQ(Files().LoadRequests(), order);
  EXPECT_TRUE(Progress().empty());
}

TEST_F(Loader, MissingSchemaFileIsReportedInBothPassesAndStillCounts) {
  AddSchema("a.sch", "struct A { };");
  AddMissingSchema("gone.sch");
  ASSERT_TRUE(Load());
  EXPECT_EQ(Log().Lines(),
            (std::vector<LogLine>{{2, "[Error] [Tessella] Schema file gone.sch not found"},
                                  {1, "[Message] [Tessella] Schema file loaded a.sch"},
                                  {2, "[Error] [Tessella] Schema file gone.sch not found"},
                                  {1, "[Message] [Tessella] Records Loaded: 0"}}));
  EXPECT_EQ(Progress(), (Steps{{0, "a.sch"}, {25, "gone.sch"}, {50, "a.sch"}, {75, "gone.sch"}}));
  EXPECT_EQ(Files().LoadRequests(), (std::vector<std::string>{"a.sch", "a.sch"}));
}

TEST_F(Loader, PrePassFailureStopsBeforeItsProgressStep) {
  AddSchema("a.sch", "struct A { };");
  AddSchema("b.sch", "struct A { };");
  AddSchema("c.sch", "struct C { };");
  EXPECT_FALSE(Load());
  EXPECT_EQ(Progress(), (Steps{{0, "a.sch"}}));
  EXPECT_EQ(Files().SizeRequests(), (std::vector<std::string>{"a.sch", "b.sch"}));
  // Types declared before the failure exist until the next load or close.
  EXPECT_NE(DB_SchemaStruct("A"), 0u);
  EXPECT_EQ(DB_SchemaStruct("C"), 0u);
}

TEST_F(Loader, MainPassFailureStopsBeforeTheRecords) {
  AddSchema("a.sch", "struct A { Missing m; };");
  AddMissingRecord("r.xml");
  EXPECT_FALSE(Load());
  EXPECT_EQ(Progress(), (Steps{{0, "a.sch"}}));
  EXPECT_EQ(Log().Texts().back(), "[Error] [Tessella] Schema file failed to load a.sch");
  EXPECT_EQ(Files().SizeRequests(), (std::vector<std::string>{"a.sch", "a.sch"}));
}

TEST_F(Loader, NextLoadStartsFromAnEmptySchema) {
  ASSERT_TRUE(LoadSchema("struct Old { };", "old.sch"));
  const uint64_t old = DB_SchemaStruct("Old");
  Reset();
  ASSERT_TRUE(LoadSchema("struct Old { int32 x; };\nstruct New { };", "new.sch"));
  EXPECT_STREQ(DB_SchemaStruct_GetName(old), "");
  EXPECT_NE(DB_SchemaStruct("Old"), old);
  EXPECT_STREQ(DB_SchemaStruct_GetOwnerFile(DB_SchemaStruct("Old")), "new.sch");
}

TEST_F(Loader, NoFilesAtAll) {
  EXPECT_TRUE(Load());
  EXPECT_EQ(Log().Texts(), (std::vector<std::string>{"[Message] [Tessella] Records Loaded: 0"}));
  EXPECT_TRUE(Progress().empty());
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
  auto* structure = Database::Resolve<Database::CDataRecord>(record);
  Database::CDataField* field = structure ? structure->FindField(name) : nullptr;
  const auto* references = Database::FieldAs<Database::ElementKind::RecordHandle>(field);
  if (!references) return {};
  const auto& elements = references->Values().Elements();
  return {elements.begin(), elements.end()};
}

TEST_F(Loader, ReferencesAreResolvedBeforeTheLoadReturns) {
  AddSchema("n.sch", "record Node { Node & Next; Node &[] Links; };");
  constexpr const char* kA = "00000000-0000-4000-8000-00000000000a";
  constexpr const char* kB = "00000000-0000-4000-8000-00000000000b";
  constexpr const char* kMissing = "00000000-0000-4000-8000-0000000000ff";
  // a names b, read after it, and a hash no record has; b names a, read before it.
  AddRecord("a.xml", std::string("<a __type=\"Node\" Next=\"") + kB + "\" __hash=\"" + kA +
                         "\"><Links><Record Value=\"" + kMissing + "\"/><Record Value=\"" + kB +
                         "\"/></Links></a>");
  AddRecord("b.xml", std::string("<b __type=\"Node\" Next=\"") + kA + "\" __hash=\"" + kB + "\"/>");
  ASSERT_TRUE(Load());
  const uint64_t a = DB_GetRecordByName("a");
  const uint64_t b = DB_GetRecordByName("b");
  EXPECT_EQ(StoredReferences(a, "Next"), std::vector<uint64_t>{b});
  EXPECT_EQ(StoredReferences(a, "Links"), (std::vector<uint64_t>{0, b}));
  EXPECT_EQ(StoredReferences(b, "Next"), std::vector<uint64_t>{a});
}

}  // namespace
