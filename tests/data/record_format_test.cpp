#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_record.h"
#include "support/data_fixture.h"

namespace {

using Database::CDataField;
using Database::CDataRecord;
using Database::CDataStruct;

constexpr const char* kWeaponSchema = R"(
record Weapon
{
    int32 damage;
    float speed;
    string[] tags;
    Stats stats;
};
struct Stats
{
    double crit;
    uint8[2] levels;
};
)";

constexpr const char* kSword = R"(<Sword __type="Weapon" damage="12" speed="1.5" __hash="H">
    <tags>
        <String Value="a"/>
        <String Value="b"/>
    </tags>
    <stats __type="Stats" crit="0.25">
        <levels>
            <UInt8 Value="1"/>
            <UInt8 Value="-56"/>
        </levels>
    </stats>
</Sword>
)";

// Every element of a field as text.
std::vector<std::string> Texts(CDataField& field) {
  std::vector<std::string> texts;
  for (int32_t index = 0; index < static_cast<int32_t>(field.GetCount()); ++index) {
    texts.push_back(field.GetAsText(index));
  }
  return texts;
}

std::vector<std::string> Texts(const CDataStruct& structure, const std::string& name) {
  CDataField* field = structure.FindField(name);
  return field ? Texts(*field) : std::vector<std::string>{"<no field>"};
}

class RecordFormat : public DataFixture {};

TEST_F(RecordFormat, WorkedExampleWritesTheDocument) {
  UseSchema(kWeaponSchema);
  CDataRecord& sword = NewRecord("Sword", "Weapon", "H");
  sword.FindField("damage")->SetFromText("12", 0);
  sword.FindField("speed")->SetFromText("1.5", 0);
  sword.FindField("tags")->InsertFromText("a", Database::kAppendIndex);
  sword.FindField("tags")->InsertFromText("b", Database::kAppendIndex);
  CDataStruct* stats = Child(sword, "stats");
  ASSERT_NE(stats, nullptr);
  stats->FindField("crit")->SetFromText("0.25", 0);
  stats->FindField("levels")->SetFromText("1", 0);
  stats->FindField("levels")->SetFromText("200", 1);
  EXPECT_EQ(FileText(sword), kSword);
}

TEST_F(RecordFormat, WorkedExampleReadsBack) {
  UseSchema(kWeaponSchema);
  CDataRecord& sword = ReadRecord("Sword", kSword);
  EXPECT_EQ(Texts(sword, "damage"), std::vector<std::string>{"12"});
  EXPECT_EQ(Texts(sword, "speed"), std::vector<std::string>{"1.5"});
  EXPECT_EQ(Texts(sword, "tags"), (std::vector<std::string>{"a", "b"}));
  const CDataStruct* stats = Child(sword, "stats");
  ASSERT_NE(stats, nullptr);
  EXPECT_EQ(Texts(*stats, "crit"), std::vector<std::string>{"0.25"});
  EXPECT_EQ(Texts(*stats, "levels"), (std::vector<std::string>{"1", "200"}));
  EXPECT_EQ(FileText(sword), kSword);
  EXPECT_FALSE(sword.IsDirty());
}

TEST_F(RecordFormat, WorkedExampleVariationsPadAndZero) {
  UseSchema(kWeaponSchema);
  std::string withoutLevels = kSword;
  withoutLevels.erase(withoutLevels.find("        <levels>"),
                      withoutLevels.find("    </stats>") - withoutLevels.find("        <levels>"));
  const CDataRecord& padded = ReadRecord("Sword", withoutLevels);
  EXPECT_EQ(Texts(*Child(padded, "stats"), "levels"), (std::vector<std::string>{"0", "0"}));

  std::string withoutCrit = kSword;
  withoutCrit.erase(withoutCrit.find(" crit=\"0.25\""), std::string(" crit=\"0.25\"").size());
  const CDataRecord& zero = ReadRecord("Sword", withoutCrit);
  EXPECT_EQ(Texts(*Child(zero, "stats"), "crit"), std::vector<std::string>{"0"});
  EXPECT_TRUE(Log().Texts().empty());
}

constexpr const char* kScalarSchema = R"(
enum EColour { Red, Green, Blue };
record All
{
    bool b;
    int8 i8;
    int16 i16;
    int32 i32;
    int64 i64;
    uint8 u8;
    uint16 u16;
    uint32 u32;
    uint64 u64;
    float f;
    double d;
    string s;
    LocId loc;
    EColour colour;
    bool[] bs;
    int8[] i8s;
    int16[] i16s;
    int32[] i32s;
    int64[] i64s;
    uint8[] u8s;
    uint16[] u16s;
    uint32[] u32s;
    uint64[] u64s;
    float[] fs;
    double[] ds;
    string[] ss;
    LocId[] locs;
    EColour[] colours;
};
)";

struct AttributeCase {
  const char* field;
  const char* text;  // null: the attribute is absent
  const char* expected;
};

// The single-value attribute rules: Bool words, atoi truncated to the width, wide and unsigned
// readings, atof.
constexpr AttributeCase kAttributes[] = {
    {"b", "TRUE", "1"},
    {"b", "yes", "0"},
    {"b", "1", "1"},
    {"b", "01", "0"},
    {"b", nullptr, "0"},
    {"i8", "300", "44"},
    {"i8", "-1", "-1"},
    {"i16", "40000", "-25536"},
    {"i32", " 12abc", "12"},
    {"i32", "99999999999", "2147483647"},
    {"u8", "-56", "200"},
    {"u16", "-1", "65535"},
    {"u32", "4294967295", "4294967295"},
    {"u32", "-1", "4294967295"},
    {"i64", "9000000000", "9000000000"},
    {"u64", "18446744073709551615", "18446744073709551615"},
    {"f", "0.1", "0.1"},
    {"d", "2.5e-3", "0.0025"},
    {"d", " +1.5kg", "1.5"},
    {"d", "0x1p3", "8"},
    {"d", "1e999", "inf"},
    {"f", "seven", "0"},
    {"s", "x &amp; y", "x & y"},
    {"s", nullptr, ""},
    {"loc", "-5", "-5"},
    {"colour", "Purple", "Purple"},
    {"i32", nullptr, "0"},
};

TEST_F(RecordFormat, ReadsSingleValuesByTheAttributeRules) {
  UseSchema(kScalarSchema);
  for (const AttributeCase& c : kAttributes) {
    SCOPED_TRACE(std::string(c.field) + "=" + (c.text ? c.text : "(absent)"));
    std::string text = R"(<R __type="All" )";
    if (c.text) text += std::string(c.field) + "=\"" + c.text + "\"";
    text += "/>";
    EXPECT_EQ(Texts(ReadRecord("R", text), c.field), std::vector<std::string>{c.expected});
  }
}

struct EntryCase {
  const char* field;
  const char* value;
  const char* entry;  // the written entry element
  const char* readBack;
};

// Array entries: %d of the signed width, %.8g, %.17g, full-width 64-bit text.
constexpr EntryCase kEntries[] = {
    {"bs", "1", R"(<Bool Value="1"/>)", "1"},
    {"i8s", "-128", R"(<Int8 Value="-128"/>)", "-128"},
    {"i16s", "-2", R"(<Int16 Value="-2"/>)", "-2"},
    {"i32s", "7", R"(<Int32 Value="7"/>)", "7"},
    {"i64s", "-9000000000", R"(<Int64 Value="-9000000000"/>)", "-9000000000"},
    {"u8s", "255", R"(<UInt8 Value="-1"/>)", "255"},
    {"u16s", "40000", R"(<UInt16 Value="-25536"/>)", "40000"},
    {"u32s", "3000000000", R"(<UInt32 Value="-1294967296"/>)", "3000000000"},
    {"u64s", "18446744073709551615", R"(<UInt64 Value="18446744073709551615"/>)",
     "18446744073709551615"},
    {"fs", "0.1", R"(<Float Value="0.1"/>)", "0.1"},
    {"ds", "0.1", R"(<Double Value="0.10000000000000001"/>)", "0.1"},
    {"ss", "a<b", R"(<String Value="a&lt;b"/>)", "a<b"},
    {"locs", "-7", R"(<LocId Value="-7"/>)", "-7"},
    {"colours", "Blue", R"(<Enum Value="Blue"/>)", "Blue"},
};

TEST_F(RecordFormat, WritesAndReadsArrayEntries) {
  UseSchema(kScalarSchema);
  for (const EntryCase& c : kEntries) {
    SCOPED_TRACE(c.field);
    CDataRecord& written = NewRecord("R", "All");
    written.FindField(c.field)->InsertFromText(c.value, Database::kAppendIndex);
    const std::string text = FileText(written);
    EXPECT_NE(text.find(c.entry), std::string::npos) << text;
    EXPECT_EQ(Texts(ReadRecord("R", text), c.field), std::vector<std::string>{c.readBack});
  }
}

TEST_F(RecordFormat, SingleValuesUseTheFieldTextForm) {
  UseSchema(kScalarSchema);
  CDataRecord& record = NewRecord("R", "All");
  record.FindField("f")->SetFromText("0.1", 0);
  record.FindField("d")->SetFromText("0.1", 0);
  record.FindField("u8")->SetFromText("200", 0);
  const std::string text = record.Serialize(nullptr, false);
  EXPECT_NE(text.find(R"( f="0.1")"), std::string::npos) << text;
  EXPECT_NE(text.find(R"( d="0.1")"), std::string::npos) << text;
  EXPECT_NE(text.find(R"( u8="200")"), std::string::npos) << text;
}

constexpr const char* kFixedSchema = R"(
struct Thing
{
    // [default: 7]
    int32 id;
};
record Fixed
{
    int32[4] numbers;
    string[3] names;
    Thing[2] things;
    Thing@[2] pointers;
};
)";

TEST_F(RecordFormat, PadsFixedArraysAndDropsSurplusEntries) {
  UseSchema(kFixedSchema);
  const CDataRecord& short_ = ReadRecord("F", R"(<F __type="Fixed" __quillwork="q">
    <numbers><Int32 Value="5"/><Int32 Value="6"/></numbers>
    <names><String Value="a"/></names>
</F>)");
  EXPECT_EQ(Texts(short_, "numbers"), (std::vector<std::string>{"5", "6", "0", "0"}));
  EXPECT_EQ(Texts(short_, "names"), (std::vector<std::string>{"a", "0", "0"}));
  for (const char* field : {"things", "pointers"}) {
    SCOPED_TRACE(field);
    for (int32_t index = 0; index < 2; ++index) {
      const CDataStruct* padded = Child(short_, field, index);
      ASSERT_NE(padded, nullptr);
      EXPECT_EQ(Texts(*padded, "id"), std::vector<std::string>{"7"});
      ASSERT_NE(padded->GetUserData(), nullptr);
      EXPECT_EQ(*padded->GetUserData(), "q");
    }
  }
  EXPECT_TRUE(Log().Texts().empty());

  const CDataRecord& long_ = ReadRecord("F", R"(<F __type="Fixed"><numbers>
    <Int32 Value="1"/><Int32 Value="2"/><Int32 Value="3"/>
    <Int32 Value="4"/><Int32 Value="5"/><Int32 Value="6"/>
</numbers></F>)");
  EXPECT_EQ(Texts(long_, "numbers"), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(Log().Texts(),
            std::vector<std::string>{
                "[Error] [Tessella] Array elements of name numbers has too many entries for fixed "
                "array size of [4]. Entries will be lost, please update the Schema if you wish to "
                "maintain this data."});
}

constexpr const char* kBoxSchema = R"(
struct Thing
{
    int32 id;
};
struct Special : Thing
{
    string label;
};
record Box
{
    Thing @ [] items;
    Thing[] values;
    Thing @ single;
    Thing one;
};
)";

constexpr const char* kBox = R"(<B __type="Box">
    <items>
        <Thing __type="Thing" id="1"/>
        <null/>
        <Special __type="Thing" __polymorphicType="Special" id="3" label="x"/>
    </items>
    <values/>
    <one __type="Thing" id="4"/>
</B>
)";

TEST_F(RecordFormat, OwningPointerArrayKeepsNullEntries) {
  UseSchema(kBoxSchema);
  CDataRecord& box = ReadRecord("B", kBox);
  EXPECT_EQ(box.FindField("items")->GetCount(), 3u);
  EXPECT_EQ(box.FindField("items")->ReadStructHandle(1), 0u);
  const CDataStruct* special = Child(box, "items", 2);
  ASSERT_NE(special, nullptr);
  EXPECT_EQ(special->GetTypeName(), "Thing");
  EXPECT_EQ(Texts(*special, "label"), std::vector<std::string>{"x"});
  EXPECT_EQ(box.FindField("single")->ReadStructHandle(0), 0u) << "a missing pointer is none";
  EXPECT_EQ(FileText(box), R"(<B __type="Box" __hash="">
    <items>
        <Thing __type="Thing" id="1"/>
        <null/>
        <Thing __type="Thing" __polymorphicType="Special" id="3" label="x"/>
    </items>
    <values/>
    <one __type="Thing" id="4"/>
</B>
)");
}

TEST_F(RecordFormat, MissingByValueStructureReadsAsDefault) {
  UseSchema(kBoxSchema);
  const CDataRecord& box = ReadRecord("B", R"(<B __type="Box"/>)");
  const CDataStruct* one = Child(box, "one");
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->GetParentHandle(), box.GetHandle());
  EXPECT_EQ(Texts(*one, "id"), std::vector<std::string>{"0"});
}

TEST_F(RecordFormat, ByValueArrayLeavesOutEmptyElements) {
  UseSchema(kBoxSchema);
  CDataRecord& box = ReadRecord("B", R"(<B __type="Box"><values>
    <Thing id="1"/><Thing id="2"/><Thing id="3"/>
</values></B>)");
  auto& values =
      Database::FieldAs<Database::ElementKind::StructHandle>(box.FindField("values"))->Values();
  // The test detached the middle structure, so it owns it now.
  const Database::ObjectPtr<CDataStruct> detached(Database::Resolve<CDataStruct>(values.Get(1)));
  values.SetValue(0, 1);
  const std::string text = box.Serialize("values", false);
  EXPECT_EQ(text, R"(<B __type="Box">
    <values>
        <Thing __type="Thing" id="1"/>
        <Thing __type="Thing" id="3"/>
    </values>
</B>
)");
}

TEST_F(RecordFormat, UnknownTypeAndUnknownNamesAreHandled) {
  UseSchema(kBoxSchema);
  CDataRecord& unknown = ReadRecord("U", R"(<U __type="Nope" id="1"/>)");
  EXPECT_EQ(unknown.GetFieldCount(), 0u);
  EXPECT_EQ(Log().Texts(),
            std::vector<std::string>{"[Error] [Tessella] Schema structure does not exist: Nope"});
  const CDataRecord& extra =
      ReadRecord("B", R"(<B __type="Box" nosuch="1"><nosuch id="2"/><one id="5" other="x"/></B>)");
  EXPECT_EQ(Texts(*Child(extra, "one"), "id"), std::vector<std::string>{"5"});
}

TEST_F(RecordFormat, ChildrenAreFoundInAnyOrderAndListsMayBeSplit) {
  UseSchema(kWeaponSchema);
  // Children out of field order, a stranger among them, and the tags split over two lists with
  // another field's element in between: the entries are read in document order.
  const CDataRecord& record = ReadRecord("S", R"(<S __type="Weapon">
    <stats __type="Stats" crit="0.5"><levels><UInt8 Value="3"/></levels></stats>
    <stranger/>
    <tags><String Value="a"/></tags>
    <stats __type="Stats" crit="0.75"/>
    <tags><String Value="b"/><String Value="c"/></tags>
</S>)");
  EXPECT_EQ(Texts(record, "tags"), (std::vector<std::string>{"a", "b", "c"}));
  // A new record's structure is read from the first element of its name.
  const CDataStruct* stats = Child(record, "stats");
  ASSERT_NE(stats, nullptr);
  EXPECT_EQ(Texts(*stats, "crit"), std::vector<std::string>{"0.5"});
  EXPECT_EQ(Texts(*stats, "levels"), (std::vector<std::string>{"3", "0"}));
}

TEST_F(RecordFormat, AFieldNamedLikeAnInheritedOneSharesItsPlace) {
  UseSchema(
      "struct Base { int32 a; int8[] list; };\nstruct Derived : Base { int32 a; int8[] list; };");
  const CDataRecord& read = ReadRecord("D", R"(<D __type="Derived" a="5">
    <list><Int8 Value="1"/></list>
    <list><Int8 Value="2"/></list>
</D>)");
  EXPECT_EQ(read.GetFieldCount(), 2u);
  EXPECT_EQ(Texts(read, "a"), std::vector<std::string>{"5"});
  EXPECT_EQ(Texts(read, "list"), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(NewRecord("N", "Derived").GetFieldCount(), 2u);
}

TEST_F(RecordFormat, UserDataAndTypeAttributesComeFirst) {
  UseSchema(kBoxSchema);
  CDataRecord& box = ReadRecord("B", kBox);
  box.SetUserData("note");
  EXPECT_TRUE(box.IsDirty());
  const std::string text = box.Serialize("single", false);
  EXPECT_EQ(text, "<B __userdata=\"note\" __type=\"Box\"/>\n");
  EXPECT_EQ(*ReadRecord("C", text).GetUserData(), "note");
}

TEST_F(RecordFormat, DeserializeReadsInPlaceAndChecksTheName) {
  UseSchema(kBoxSchema);
  CDataRecord& box = ReadRecord("B", kBox);
  CDataStruct* one = Child(box, "one");
  ASSERT_NE(one, nullptr);
  const std::string text = one->Serialize(nullptr, false);
  EXPECT_EQ(text, "<one __type=\"Thing\" id=\"4\"/>\n");
  EXPECT_TRUE(one->CanDeserialize(text.c_str()));
  EXPECT_FALSE(one->CanDeserialize(R"(<items id="4"/>)"));
  EXPECT_FALSE(one->CanDeserialize("<one"));
  EXPECT_FALSE(one->CanDeserialize(nullptr));

  one->Deserialize(R"(<one id="9"/>)", nullptr);
  EXPECT_EQ(Texts(*one, "id"), std::vector<std::string>{"9"});
  one->Deserialize("not xml <", nullptr);
  EXPECT_EQ(Texts(*one, "id"), std::vector<std::string>{"9"});

  // Re-reading the record replaces the held structures; the old ones leave service.
  const Database::THandle oldItem = box.FindField("items")->ReadStructHandle(0);
  box.Deserialize(R"(<B><items><Thing id="8"/></items><one id="1"/></B>)", "items");
  EXPECT_EQ(Database::Resolve<CDataStruct>(oldItem), nullptr);
  EXPECT_EQ(Texts(*Child(box, "items"), "id"), std::vector<std::string>{"8"});
  EXPECT_EQ(Texts(*one, "id"), std::vector<std::string>{"9"}) << "the filter skips other fields";
}

}  // namespace
