#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/data_record.h"
#include "data/url.h"
#include "support/data_fixture.h"

namespace {

using Database::CDataRecord;
using Database::CDataStruct;
using Database::ObjectRegistry;
using Database::Resolve;
using Database::THandle;

// The weak-pointer array comes first in the field table, so that a structure's name must not be
// taken from a weak pointer that targets it.
constexpr const char* kShipSchema = R"(
struct Stats
{
    int32 x;
};
struct Part
{
    Stats stats;
    Part @ sub;
};
record Ship
{
    Part * [] targets;
    Part[] parts;
    Part * target;
    Ship & other;
    Ship & [] others;
    Ship & [2] pair;
};
)";

constexpr const char* kShip = R"(<S __type="Ship" target="parts[2].stats" other="hb">
    <targets>
        <WeakPointer Value="#Error#"/>
        <WeakPointer Value="parts[0]"/>
        <WeakPointer Value=""/>
        <WeakPointer Value="parts[1].sub"/>
    </targets>
    <parts>
        <Part/>
        <Part><sub><Part/></sub></Part>
        <Part/>
    </parts>
    <others><Record Value="hb"/><Record Value="nope"/><Record/></others>
    <pair><Record Value="ha"/></pair>
</S>
)";

class Pointers : public DataFixture {
 protected:
  CDataRecord& Ship() {
    CDataRecord& ship = ReadRecord("S", kShip);
    Log().Clear();
    return ship;
  }
  static std::vector<std::string> PointableUrls(const CDataRecord& record) {
    std::vector<std::string> urls;
    for (const THandle handle : record.PointableStructures()) {
      urls.push_back(Database::BuildURL(*Resolve<CDataStruct>(handle)));
    }
    return urls;
  }
};

TEST_F(Pointers, UrlsNameEachStructureByItsPlace) {
  UseSchema(kShipSchema);
  CDataRecord& ship = Ship();
  CDataStruct* part2 = Child(ship, "parts", 2);
  ASSERT_NE(part2, nullptr);
  EXPECT_EQ(ship.GetURL(), "");
  EXPECT_EQ(part2->GetURL(), "parts[2]");
  EXPECT_EQ(Child(*part2, "stats")->GetURL(), "parts[2].stats");
  EXPECT_EQ(Child(*Child(ship, "parts", 1), "sub")->GetURL(), "parts[1].sub");
  ASSERT_NE(part2->GetName(), nullptr);
  EXPECT_EQ(*part2->GetName(), "parts") << "a weak pointer never names its target";

  // Swapping two other elements leaves the URL alone; moving the structure changes it.
  ship.FindField("parts")->SwapElements(0, 1);
  EXPECT_EQ(part2->GetURL(), "parts[2]");
  ship.FindField("parts")->SwapElements(2, -2);
  EXPECT_EQ(part2->GetURL(), "parts[0]");
}

TEST_F(Pointers, ResolvesUrlsAndSkipsUnknownSegments) {
  UseSchema(kShipSchema);
  const CDataRecord& ship = Ship();
  const THandle part2 = Child(ship, "parts", 2)->GetHandle();
  const THandle stats2 = Child(*Child(ship, "parts", 2), "stats")->GetHandle();
  struct Case {
    const char* url;
    THandle expected;
  };
  const Case cases[] = {
      {"parts[2].stats", stats2},
      {"parts[2].nosuch.stats", stats2},
      {"parts[2].nosuch", part2},
      {"", 0},
      {"...", 0},
      {"parts[3]", 0},
      {"parts[-1]", 0},
      {"parts", Child(ship, "parts", 0)->GetHandle()},
      {"parts[2].stats.x[0]", 0},
      {"target", 0},
      {"targets[1]", Child(ship, "parts", 0)->GetHandle()},
      {"parts[1].sub.stats", Child(*Child(*Child(ship, "parts", 1), "sub"), "stats")->GetHandle()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(Database::ResolveURL(ship, c.url), c.expected);
  }
}

TEST_F(Pointers, WeakPointersResolveWithinTheRecord) {
  UseSchema(kShipSchema);
  CDataRecord& ship = ReadRecord("S", kShip);
  EXPECT_EQ(Log().Texts(),
            std::vector<std::string>{"[Error] [Tessella] Problem when loading URL. "
                                     "Cannot resolve for weak pointer. \"targets\""});
  const auto* targets = ship.FindField("targets");
  const THandle sub1 = Child(*Child(ship, "parts", 1), "sub")->GetHandle();
  EXPECT_EQ(targets->GetCount(), 4u);
  EXPECT_EQ(targets->ReadStructHandle(0), 0u);
  EXPECT_EQ(targets->ReadStructHandle(1), Child(ship, "parts", 0)->GetHandle());
  EXPECT_EQ(targets->ReadStructHandle(2), 0u);
  EXPECT_EQ(targets->ReadStructHandle(3), sub1);
  EXPECT_EQ(ship.FindField("target")->ReadStructHandle(0),
            Child(*Child(ship, "parts", 2), "stats")->GetHandle());

  const std::string text = FileText(ship);
  EXPECT_NE(text.find(R"(target="parts[2].stats")"), std::string::npos) << text;
  EXPECT_NE(text.find(R"(<WeakPointer Value=""/>
        <WeakPointer Value="parts[0]"/>
        <WeakPointer Value=""/>
        <WeakPointer Value="parts[1].sub"/>)"),
            std::string::npos)
      << text;

  // Without a target the attribute is left out, unless the host asks for it empty.
  static_cast<Database::CDataField_WeakPointer*>(ship.FindField("target"))->Values().SetValue(0, 0);
  EXPECT_EQ(ship.Serialize("target", false), "<S __type=\"Ship\"/>\n");
  EXPECT_EQ(ship.Serialize("target", true), "<S __type=\"Ship\" target=\"\"/>\n");
}

TEST_F(Pointers, SingleWeakPointerWithoutAttributeHoldsZero) {
  UseSchema(kShipSchema);
  const CDataRecord& ship = ReadRecord("S", R"(<S __type="Ship"/>)");
  EXPECT_EQ(ship.FindField("target")->GetCount(), 1u);
  EXPECT_EQ(ship.FindField("target")->ReadStructHandle(0), 0u);
}

// The record handle stored in element index, without resolving.
THandle Stored(const CDataRecord& record, const char* field, size_t index) {
  return Database::FieldAs<Database::ElementKind::RecordHandle>(record.FindField(field))
      ->Values()
      .Get(index);
}

TEST_F(Pointers, ReferencesResolveByHashOnceAllRecordsAreRead) {
  UseSchema(kShipSchema);
  CDataRecord& a = ReadRecord("A", R"(<A __type="Ship" __hash="ha" other="hb">
    <others><Record Value="hb"/><Record Value="nope"/><Record/></others>
    <pair><Record Value="ha"/></pair>
</A>)");
  CDataRecord& b = ReadRecord("B", R"(<B __type="Ship" __hash="hb" other=""/>)");
  EXPECT_EQ(a.FindField("others")->GetCount(), 3u);
  EXPECT_EQ(a.FindField("pair")->GetCount(), 2u) << "a pending entry holds its place";
  EXPECT_EQ(Stored(a, "other", 0), 0u) << "pending until resolved";

  ResolveReferences();
  EXPECT_EQ(Stored(a, "other", 0), b.GetHandle());
  EXPECT_EQ(Stored(a, "others", 0), b.GetHandle());
  EXPECT_EQ(Stored(a, "others", 1), 0u);
  EXPECT_EQ(Stored(a, "others", 2), 0u);
  EXPECT_EQ(Stored(a, "pair", 0), a.GetHandle());
  EXPECT_EQ(Stored(a, "pair", 1), 0u);
  EXPECT_EQ(Stored(b, "other", 0), 0u);
  EXPECT_EQ(a.FindField("other")->GetAsText(0), "hb");
  EXPECT_EQ(b.FindField("other")->GetAsText(0), "");
  EXPECT_NE(FileText(a).find(R"(<others>
        <Record Value="hb"/>
        <Record Value=""/>
        <Record Value=""/>
    </others>)"),
            std::string::npos);
}

TEST_F(Pointers, ReadingAReferenceResolvesItsEntryFirst) {
  UseSchema(kShipSchema);
  CDataRecord& a = ReadRecord("A", R"(<A __type="Ship" __hash="ha" other="ha"/>)");
  EXPECT_EQ(Stored(a, "other", 0), 0u);
  EXPECT_EQ(a.FindField("other")->ReadRecordHandle(0), a.GetHandle());
  EXPECT_EQ(FileText(a),
            "<A __type=\"Ship\" other=\"ha\" __hash=\"ha\">\n    <targets/>\n    "
            "<parts/>\n    <others/>\n    <pair>\n        <Record Value=\"\"/>\n  "
            "      <Record Value=\"\"/>\n    </pair>\n</A>\n");
}

TEST_F(Pointers, PointableListIsDepthFirstParentBeforeChildren) {
  UseSchema(kShipSchema);
  const CDataRecord& ship = Ship();
  const std::vector<std::string> expected = {
      "parts[0]",     "parts[0].stats",     "parts[1]", "parts[1].stats",
      "parts[1].sub", "parts[1].sub.stats", "parts[2]", "parts[2].stats"};
  EXPECT_EQ(PointableUrls(ship), expected);

  CDataRecord& fresh = NewRecord("N", "Ship");
  EXPECT_TRUE(fresh.PointableStructures().empty()) << "Ship's own structures are all arrays";
}

TEST_F(Pointers, PointableListHoldsAStructureStoredTwiceOnce) {
  UseSchema(kShipSchema);
  // Short and long lists are checked for repeats in different ways.
  for (const size_t parts : {size_t{3}, size_t{40}}) {
    SCOPED_TRACE(parts);
    std::string text = R"(<S __type="Ship"><parts>)";
    for (size_t i = 0; i < parts; ++i) text += "<Part/>";
    CDataRecord& ship = ReadRecord("S", text + "</parts></S>");
    auto& held =
        Database::FieldAs<Database::ElementKind::StructHandle>(ship.FindField("parts"))->Values();
    const THandle first = held.Get(0);
    held.Insert(held.GetCount(), first);
    ship.RegisterPointables(ship);
    const std::vector<THandle>& list = ship.PointableStructures();
    EXPECT_EQ(list.size(), 2 * parts) << "each part and its stats";
    EXPECT_EQ(std::count(list.begin(), list.end(), first), 1);
    EXPECT_EQ(list.front(), first);
    // The repeat must not be destroyed twice with the record.
    held.Erase(held.GetCount() - 1);
  }
}

TEST_F(Pointers, UninstatingATreeTakesItOutOfServiceAndBack) {
  UseSchema(kShipSchema);
  CDataRecord& ship = Ship();
  CDataStruct* part1 = Child(ship, "parts", 1);
  CDataStruct* sub = Child(*part1, "sub");
  const THandle part1Handle = part1->GetHandle();
  const THandle subStats = Child(*sub, "stats")->GetHandle();
  const THandle subField = sub->FieldByName("stats");
  const THandle part0 = Child(ship, "parts", 0)->GetHandle();

  ObjectRegistry::Instance().UninstateObject(part1Handle);
  EXPECT_EQ(Resolve<CDataStruct>(part1Handle), nullptr);
  EXPECT_EQ(Resolve<CDataStruct>(subStats), nullptr);
  EXPECT_EQ(Resolve<Database::CDataField>(subField), nullptr) << "fields go with the structure";
  EXPECT_NE(Resolve<CDataStruct>(part0), nullptr) << "a weak pointer's target is not owned";
  EXPECT_EQ(PointableUrls(ship),
            (std::vector<std::string>{"parts[0]", "parts[0].stats", "parts[2]", "parts[2].stats"}));
  EXPECT_EQ(ship.FindField("targets")->ReadLiveStructHandle(3), 0u);

  ObjectRegistry::Instance().ReinstateObject(part1Handle);
  EXPECT_NE(Resolve<CDataStruct>(subStats), nullptr);
  EXPECT_NE(Resolve<Database::CDataField>(subField), nullptr);
  EXPECT_EQ(PointableUrls(ship),
            (std::vector<std::string>{"parts[0]", "parts[0].stats", "parts[2]", "parts[2].stats",
                                      "parts[1]", "parts[1].stats", "parts[1].sub",
                                      "parts[1].sub.stats"}));
  EXPECT_EQ(ship.FindField("targets")->ReadLiveStructHandle(3), sub->GetHandle());
}

TEST_F(Pointers, FieldsInstateWhatTheyOwnAndNeverWhatTheyPointAt) {
  UseSchema(kShipSchema);
  CDataRecord& ship = Ship();
  const THandle part0 = Child(ship, "parts", 0)->GetHandle();
  const Database::CDataField& weak = *ship.FindField("targets");
  const Database::CDataField& owning = *ship.FindField("parts");
  Database::UninstateObjectIf(&weak, part0);
  EXPECT_NE(Resolve<CDataStruct>(part0), nullptr);
  Database::UninstateObjectIf(&owning, part0);
  EXPECT_EQ(Resolve<CDataStruct>(part0), nullptr);
  Database::ReinstateObjectIf(weak, part0);
  EXPECT_EQ(Resolve<CDataStruct>(part0), nullptr);
  Database::ReinstateObjectIf(owning, part0);
  EXPECT_NE(Resolve<CDataStruct>(part0), nullptr);
  Database::UninstateObjectIf(nullptr, part0);
  Database::UninstateObjectIf(&owning, 0);
  EXPECT_TRUE(Log().Texts().empty());
}

TEST_F(Pointers, DestroyingARecordDestroysItsWholeTree) {
  UseSchema(kShipSchema);
  CDataRecord& ship = Ship();
  std::vector<THandle> handles = ship.PointableStructures();
  for (size_t index = 0; index < ship.GetFieldCount(); ++index) {
    handles.push_back(ship.GetField(index).GetHandle());
  }
  handles.push_back(Child(ship, "parts", 1)->FieldByName("sub"));
  ObjectRegistry::Instance().UninstateObject(Child(ship, "parts", 2)->GetHandle());
  DB_Close();
  for (const THandle handle : handles) {
    SCOPED_TRACE(handle);
    EXPECT_EQ(ObjectRegistry::Instance().FindObjectAnyState(handle), nullptr);
  }
}

}  // namespace
