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
using Database::Resolve;
using Database::THandle;

// The weak-pointer array comes first in the field table, so that a structure's name must not be
// taken from a weak pointer that targets it.
constexpr const char* kShipSchema =
    "struct Stats { int32 x; };\nstruct Part { Stats stats; Part @ sub; };\n"
    "record Ship { Part * [] targets; Part[] parts; Part * target; Ship & other; Ship & [] others; "
    "Ship & [2] pair; };";

constexpr const char* kShip = R"(<S __type="Ship" target="parts[2].stats" other="hb"><targets>
    <WeakPointer Value="#Error#"/><WeakPointer Value="parts[0]"/><WeakPointer Value=""/>
    <WeakPointer Value="parts[1].sub"/></targets>
    <parts><Part/><Part><sub><Part/></sub></Part><Part/></parts>
    <others><Record Value="hb"/><Record Value="nope"/><Record/></others>
    <pair><Record Value="ha"/></pair></S>)";

// The handle stored in element index of a reference field, without resolving.
THandle Stored(const CDataStruct& holder, const char* field, size_t index) {
  return Database::FieldAs<Database::ElementKind::RecordHandle>(holder.FindField(field))
      ->Values()
      .Get(index);
}

class Pointers : public DataFixture {
 protected:
  void SetUp() override { UseSchema(kShipSchema); }
  CDataRecord& Ship() {
    CDataRecord& ship = ReadRecord("S", kShip);
    Log().Clear();
    return ship;
  }
};

TEST_F(Pointers, UrlsNameEachStructureByItsPlaceAndResolveSkippingUnknownSegments) {
  CDataRecord& ship = Ship();
  CDataStruct* part1 = Child(ship, "parts", 1);
  CDataStruct* part2 = Child(ship, "parts", 2);
  const THandle stats2 = Child(*part2, "stats")->GetHandle();
  const THandle sub1Stats = Child(*Child(*part1, "sub"), "stats")->GetHandle();
  const struct {
    const char* url;
    THandle expected;
  } kCases[] = {{"parts[2].stats", stats2},
                {"parts[2].nosuch.stats", stats2},
                {"", 0},
                {"parts[3]", 0},
                {"parts[-1]", 0},
                {"parts", Child(ship, "parts", 0)->GetHandle()},
                {"parts[2].stats.x[0]", 0},
                {"target", 0},
                {"targets[1]", Child(ship, "parts", 0)->GetHandle()},
                {"parts[1].sub.stats", sub1Stats}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(Database::ResolveURL(ship, c.url), c.expected);
  }
  EXPECT_EQ(ship.GetURL(), "");
  EXPECT_EQ(Resolve<CDataStruct>(sub1Stats)->GetURL(), "parts[1].sub.stats");
  EXPECT_STREQ(part2->GetName(), "parts") << "a weak pointer never names its target";
  // Swapping two other elements leaves the URL alone; moving the structure changes it.
  ship.FindField("parts")->SwapElements(0, 1);
  EXPECT_EQ(part2->GetURL(), "parts[2]");
  ship.FindField("parts")->SwapElements(2, -2);
  EXPECT_EQ(part2->GetURL(), "parts[0]");
}

TEST_F(Pointers, WeakPointersResolveWithinTheRecord) {
  CDataRecord& ship = ReadRecord("S", kShip);
  EXPECT_EQ(Log().Lines(), LogLines("E Problem when loading URL. Cannot resolve for weak pointer. "
                                    "\"targets\""));
  const auto* targets = ship.FindField("targets");
  const THandle expected[] = {0, Child(ship, "parts", 0)->GetHandle(), 0,
                              Child(*Child(ship, "parts", 1), "sub")->GetHandle()};
  ASSERT_EQ(targets->GetCount(), 4u);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(targets->ReadStructHandle(i), expected[i]) << i;
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
  const CDataRecord& bare = ReadRecord("S", R"(<S __type="Ship"/>)");
  EXPECT_EQ(bare.FindField("target")->GetCount(), 1u);
  EXPECT_EQ(bare.FindField("target")->ReadStructHandle(0), 0u);
}

TEST_F(Pointers, ReferencesResolveByHashOnceAllRecordsAreRead) {
  CDataRecord& a =
      ReadRecord("A", R"(<A __type="Ship" __hash="ha" other="hb"><others><Record Value="hb"/>
    <Record Value="nope"/><Record/></others><pair><Record Value="ha"/></pair></A>)");
  CDataRecord& b = ReadRecord("B", R"(<B __type="Ship" __hash="hb" other=""/>)");
  EXPECT_EQ(a.FindField("others")->GetCount(), 3u);
  EXPECT_EQ(a.FindField("pair")->GetCount(), 2u) << "a pending entry holds its place";
  EXPECT_EQ(Stored(a, "other", 0), 0u) << "pending until resolved";
  ResolveReferences();
  EXPECT_EQ(
      (std::vector<THandle>{Stored(a, "other", 0), Stored(a, "others", 0), Stored(a, "others", 1),
                            Stored(a, "others", 2), Stored(a, "pair", 0), Stored(a, "pair", 1),
                            Stored(b, "other", 0)}),
      (std::vector<THandle>{b.GetHandle(), b.GetHandle(), 0, 0, a.GetHandle(), 0, 0}));
  EXPECT_EQ(a.FindField("other")->GetAsText(0), "hb");
  EXPECT_EQ(b.FindField("other")->GetAsText(0), "");
  EXPECT_NE(FileText(a).find(R"(<others>
        <Record Value="hb"/>
        <Record Value=""/>
        <Record Value=""/>
    </others>)"),
            std::string::npos);
}

TEST_F(Pointers, PointableListIsDepthFirstAndHoldsAStructureStoredTwiceOnce) {
  std::vector<std::string> urls;
  for (const THandle h : Ship().PointableStructures())
    urls.push_back(Resolve<CDataStruct>(h)->GetURL());
  EXPECT_EQ(urls, (std::vector<std::string>{"parts[0]", "parts[0].stats", "parts[1]",
                                            "parts[1].stats", "parts[1].sub", "parts[1].sub.stats",
                                            "parts[2]", "parts[2].stats"}));
  EXPECT_TRUE(NewRecord("N", "Ship").PointableStructures().empty())
      << "Ship's own structures are all arrays";
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
    const auto& list = ship.PointableStructures();
    EXPECT_EQ(list.size(), 2 * parts) << "each part and its stats";
    EXPECT_EQ(std::count(list.begin(), list.end(), first), 1);
    EXPECT_EQ(list[0], first);
    // The repeat must not be destroyed twice with the record.
    held.Erase(held.GetCount() - 1);
  }
}

constexpr const char* kLinkSchema =
    "struct Link { Node & to; Link @ [] more; };\n"
    "record Node { Node & to; Link link; Link @ [] links; };";

using References = DataFixture;

// A reference resolves at every depth of its record, whether the tree is walked or the record's
// pointable list is read.
TEST_F(References, ResolveAtEveryDepthThroughTheTreeOrThePointableList) {
  UseSchema(kLinkSchema);
  for (const std::string hash : {"tree", "list"}) {
    SCOPED_TRACE(hash);
    const THandle target =
        ReadRecord("T" + hash, R"(<T __type="Node" __hash=")" + hash + "\"/>").GetHandle();
    const std::string to = " to=\"" + hash + "\"";
    CDataRecord& node =
        ReadRecord("N" + hash, "<N __type=\"Node\"" + to + "><link" + to + "><more><Link" + to +
                                   "/></more></link><links><Link" + to + "><more><Link" + to +
                                   "/></more></Link></links></N>");
    const CDataStruct *link = Child(node, "link"), *listed = Child(node, "links");
    ASSERT_TRUE(link && listed && Child(*link, "more") && Child(*listed, "more"));
    const CDataStruct* holders[] = {&node, link, Child(*link, "more"), listed,
                                    Child(*listed, "more")};
    const auto stored = [&](THandle expected) {
      for (const CDataStruct* holder : holders) EXPECT_EQ(Stored(*holder, "to", 0), expected);
    };
    stored(0);  // pending until resolved
    hash == "list" ? node.ResolvePointableReferences() : node.ResolveReferences();
    stored(target);
  }
}

}  // namespace
