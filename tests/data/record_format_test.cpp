#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/data_record.h"
#include "support/data_fixture.h"

namespace {

using Database::CDataRecord;
using Database::CDataStruct;
using Texts = std::vector<std::string>;

constexpr const char* kWeaponSchema =
    "record Weapon { int32 damage; float speed; string[] tags; Stats stats; };\n"
    "struct Stats { double crit; uint8[2] levels; };\n";

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

Texts Of(const CDataStruct* structure, const char* field) {
  return structure ? ElementTexts(structure->FindField(field)) : Texts{"<no structure>"};
}

class RecordFormat : public DataFixture {};

TEST_F(RecordFormat, WorkedExampleReadsAndWritesBack) {
  UseSchema(kWeaponSchema);
  CDataRecord& sword = ReadRecord("Sword", kSword);
  EXPECT_EQ(Of(Child(sword, "stats"), "levels"), (Texts{"1", "200"}));
  EXPECT_EQ(FileText(sword), kSword);
  EXPECT_FALSE(sword.IsDirty());
}

constexpr const char* kScalarSchema =
    "enum EColour { Red, Green, Blue };\nrecord S { bool b; int8 i8; int16 i16; int32 i32; int64 "
    "i64; uint8 u8; uint16 u16; uint32 u32; uint64 u64; float f; double d; string s; LocId loc; "
    "EColour colour; };\nrecord A { bool[] bs; int8[] i8s; int16[] i16s; int32[] i32s; int64[] "
    "i64s; uint8[] u8s; uint16[] u16s; uint32[] u32s; uint64[] u64s; float[] fs; double[] ds; "
    "string[] ss; LocId[] locs; EColour[] colours; };";

// Bool words, atoi truncated to the width, wide and unsigned readings, atof; absent attributes
// keep the default; single values are written in the field's text form, unlike array entries.
TEST_F(RecordFormat, ReadsAndWritesSingleValuesByTheAttributeRules) {
  const struct {
    const char* read;
    const char* written;
  } kCases[] = {
      {R"(b="TRUE" i8="300" i16="40000" i32=" 12abc" i64="9000000000" u8="-56" u16="-1" )"
       R"(u32="4294967295" u64="18446744073709551615" f="0.1" d="2.5e-3" s="x &amp; y" loc="-5" )"
       R"(colour="Purple")",
       R"(b="1" i8="44" i16="-25536" i32="12" i64="9000000000" u8="200" u16="65535" )"
       R"(u32="4294967295" u64="18446744073709551615" f="0.1" d="0.0025" s="x &amp; y" loc="-5" )"
       R"(colour="Purple")"},
      {R"(b="yes" i8="-1" i32="99999999999" u32="-1" f="seven" d=" +1.5kg")",
       R"(b="0" i8="-1" i16="0" i32="2147483647" i64="0" u8="0" u16="0" u32="4294967295" u64="0" )"
       R"(f="0" d="1.5" s="" loc="0" colour="")"},
      {R"(b="1" d="0x1p3")",
       R"(b="1" i8="0" i16="0" i32="0" i64="0" u8="0" u16="0" u32="0" u64="0" f="0" d="8" s="" )"
       R"(loc="0" colour="")"},
      {R"(b="01" d="1e999")",
       R"(b="0" i8="0" i16="0" i32="0" i64="0" u8="0" u16="0" u32="0" u64="0" f="0" d="inf" s="" )"
       R"(loc="0" colour="")"},
      {R"(d="0.1")",
       R"(b="0" i8="0" i16="0" i32="0" i64="0" u8="0" u16="0" u32="0" u64="0" f="0" d="0.1" s="" )"
       R"(loc="0" colour="")"}};
  UseSchema(kScalarSchema);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.read);
    CDataRecord& record = ReadRecord("R", std::string(R"(<R __type="S" )") + c.read + "/>");
    EXPECT_EQ(record.Serialize(nullptr, false),
              std::string(R"(<R __type="S" )") + c.written + "/>\n");
  }
}

// %d of the signed width, %.8g, %.17g, full-width 64-bit text; read back as written.
TEST_F(RecordFormat, WritesAndReadsArrayEntries) {
  const std::pair<const char*, const char*> kValues[] = {
      {"bs", "1"},       {"i8s", "-128"},         {"i16s", "-2"},
      {"i32s", "7"},     {"i64s", "-9000000000"}, {"u8s", "255"},
      {"u16s", "40000"}, {"u32s", "3000000000"},  {"u64s", "18446744073709551615"},
      {"fs", "0.1"},     {"ds", "0.1"},           {"ss", "a<b"},
      {"locs", "-7"},    {"colours", "Blue"}};
  UseSchema(kScalarSchema);
  CDataRecord& written = NewRecord("R", "A");
  for (const auto& [field, value] : kValues) {
    written.FindField(field)->InsertFromText(value, Database::kAppendIndex);
  }
  const std::string text = FileText(written);
  std::string flat;  // without the line breaks and indents
  for (const char ch : text) {
    if (ch != '\n' && (ch != ' ' || flat.back() != '>')) flat += ch;
  }
  EXPECT_EQ(flat,
            R"(<R __type="A" __hash=""><bs><Bool Value="1"/></bs><i8s><Int8 Value="-128"/></i8s>)"
            R"(<i16s><Int16 Value="-2"/></i16s><i32s><Int32 Value="7"/></i32s><i64s>)"
            R"(<Int64 Value="-9000000000"/></i64s><u8s><UInt8 Value="-1"/></u8s><u16s>)"
            R"(<UInt16 Value="-25536"/></u16s><u32s><UInt32 Value="-1294967296"/></u32s><u64s>)"
            R"(<UInt64 Value="18446744073709551615"/></u64s><fs><Float Value="0.1"/></fs><ds>)"
            R"(<Double Value="0.10000000000000001"/></ds><ss><String Value="a&lt;b"/></ss>)"
            R"(<locs><LocId Value="-7"/></locs><colours><Enum Value="Blue"/></colours></R>)");
  const CDataRecord& read = ReadRecord("R", text);
  for (const auto& [field, value] : kValues) EXPECT_EQ(Of(&read, field), Texts{value}) << field;
}

TEST_F(RecordFormat, PadsFixedArraysAndDropsSurplusEntries) {
  UseSchema(
      "struct Thing {\n  // [default: 7]\n  int32 id;\n};\n"
      "record Fixed { int32[4] numbers; string[3] names; Thing[2] things; Thing@[2] pointers; };");
  const CDataRecord& short_ = ReadRecord("F", R"(<F __type="Fixed" __quillwork="q">
    <numbers><Int32 Value="5"/><Int32 Value="6"/></numbers>
    <names><String Value="a"/></names>
</F>)");
  EXPECT_EQ(Of(&short_, "numbers"), (Texts{"5", "6", "0", "0"}));
  EXPECT_EQ(Of(&short_, "names"), (Texts{"a", "0", "0"}));
  for (const char* field : {"things", "pointers"}) {
    for (int32_t index = 0; index < 2; ++index) {
      SCOPED_TRACE(testing::Message() << field << index);
      const CDataStruct* padded = Child(short_, field, index);
      EXPECT_EQ(Of(padded, "id"), Texts{"7"});
      ASSERT_NE(padded->GetUserData(), nullptr);
      EXPECT_EQ(*padded->GetUserData(), "q");
    }
  }
  EXPECT_TRUE(Log().Lines().empty());

  const CDataRecord& long_ = ReadRecord("F", R"(<F __type="Fixed"><numbers><Int32 Value="1"/>
    <Int32 Value="2"/><Int32 Value="3"/><Int32 Value="4"/><Int32 Value="5"/><Int32 Value="6"/>
</numbers></F>)");
  EXPECT_EQ(Of(&long_, "numbers"), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(Log().Lines(),
            LogLines("E Array elements of name numbers has too many entries for fixed array size "
                     "of [4]. Entries will be lost, please update the Schema if you wish to "
                     "maintain this data."));
}

constexpr const char* kBoxSchema = R"(
struct Thing { int32 id; };
struct Special : Thing { string label; };
record Box { Thing @ [] items; Thing[] values; Thing @ single; Thing one; };
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

TEST_F(RecordFormat, OwningPointersKeepNullEntriesAndMissingStructuresReadAsDefault) {
  UseSchema(kBoxSchema);
  CDataRecord& box = ReadRecord("B", kBox);
  EXPECT_EQ(box.FindField("items")->ReadStructHandle(1), 0u);
  EXPECT_EQ(Child(box, "items", 2)->GetTypeName(), "Thing");
  EXPECT_EQ(Of(Child(box, "items", 2), "label"), Texts{"x"});
  EXPECT_EQ(box.FindField("single")->ReadStructHandle(0), 0u) << "a missing pointer is none";
  std::string expected = kBox;
  expected.replace(expected.find("<Special"), 8, "<Thing").insert(15, " __hash=\"\"");
  EXPECT_EQ(FileText(box), expected);

  const CDataRecord& empty = ReadRecord("B", R"(<B __type="Box"/>)");
  EXPECT_EQ(Child(empty, "one")->GetParentHandle(), empty.GetHandle());
  EXPECT_EQ(Of(Child(empty, "one"), "id"), Texts{"0"});
}

TEST_F(RecordFormat, ByValueArrayLeavesOutEmptyElements) {
  UseSchema(kBoxSchema);
  CDataRecord& box =
      ReadRecord("B", R"(<B __type="Box"><values><Thing id="1"/><Thing id="2"/><Thing id="3"/>
</values></B>)");
  auto& values =
      Database::FieldAs<Database::ElementKind::StructHandle>(box.FindField("values"))->Values();
  // The test detached the middle structure, so it owns it now.
  const Database::ObjectPtr<CDataStruct> detached(Database::Resolve<CDataStruct>(values.Get(1)));
  values.SetValue(0, 1);
  EXPECT_EQ(box.Serialize("values", false), R"(<B __type="Box">
    <values>
        <Thing __type="Thing" id="1"/>
        <Thing __type="Thing" id="3"/>
    </values>
</B>
)");
}

TEST_F(RecordFormat, UnknownTypesNamesAndOrderAreHandled) {
  UseSchema(std::string(kWeaponSchema) + kBoxSchema);
  EXPECT_EQ(ReadRecord("U", R"(<U __type="Nope" id="1"/>)").GetFieldCount(), 0u);
  const CDataRecord& extra =
      ReadRecord("B", R"(<B __type="Box" nosuch="1"><nosuch id="2"/><one id="5" other="x"/></B>)");
  EXPECT_EQ(Of(Child(extra, "one"), "id"), Texts{"5"});
  // Children out of field order, a stranger among them, and the tags split over two lists with
  // another field's element in between: the entries are read in document order, and a new
  // record's structure from the first element of its name.
  const CDataRecord& record = ReadRecord("S", R"(<S __type="Weapon">
    <stats __type="Stats" crit="0.5"><levels><UInt8 Value="3"/></levels></stats>
    <stranger/>
    <tags><String Value="a"/></tags>
    <stats __type="Stats" crit="0.75"/>
    <tags><String Value="b"/><String Value="c"/></tags>
</S>)");
  EXPECT_EQ(Of(&record, "tags"), (Texts{"a", "b", "c"}));
  EXPECT_EQ(Of(Child(record, "stats"), "crit"), Texts{"0.5"});
  EXPECT_EQ(Of(Child(record, "stats"), "levels"), (Texts{"3", "0"}));
}

// Any record name is written as an element name the reader takes back.
TEST_F(RecordFormat, RecordNamesBecomeValidElementNames) {
  const struct {
    const char* name;
    const char* element;
  } kCases[] = {{"Sword", "Sword"},
                {"Item 1", "Item_1"},
                {"Sword (old)", "Sword__old_"},
                {"1st", "_1st"},
                {"-x", "_-x"},
                {"a.b-c_d:e", "a.b-c_d:e"},
                {"\xC3\xA9p\xC3\xA9", "\xC3\xA9p\xC3\xA9"},
                {"", "_"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Database::XmlElementName(c.name), c.element);
  }
  UseSchema(kBoxSchema);
  CDataRecord& box = ReadRecord("Box (2)", R"(<B __type="Box"/>)");
  std::string text;
  box.WriteFileText(text);
  EXPECT_EQ(text.rfind("<Box__2_ ", 0), 0u) << text;
  EXPECT_TRUE(box.CanDeserialize(box.Serialize(nullptr, false).c_str()));
}

TEST_F(RecordFormat, AFieldNamedLikeAnInheritedOneSharesItsPlace) {
  UseSchema(
      "struct Base { int32 a; int8[] list; };\nstruct Derived : Base { int32 a; int8[] list; };");
  const CDataRecord& read = ReadRecord(
      "D", R"(<D __type="Derived" a="5"><list><Int8 Value="1"/></list><list><Int8 Value="2"/></list>
</D>)");
  EXPECT_EQ(read.GetFieldCount(), 2u);
  EXPECT_EQ(Of(&read, "a"), Texts{"5"});
  EXPECT_EQ(Of(&read, "list"), (Texts{"1", "2"}));
  EXPECT_EQ(NewRecord("N", "Derived").GetFieldCount(), 2u);
}

// What Deserialize reads in place, and with a field filter, is checked by the randomized edit
// model against the structures' own texts.
TEST_F(RecordFormat, UserDataComesFirstAndCanDeserializeNeedsTheElementName) {
  UseSchema(kBoxSchema);
  CDataRecord& box = ReadRecord("B", kBox);
  box.SetUserData("note");
  EXPECT_TRUE(box.IsDirty());
  const std::string text = box.Serialize("single", false);
  EXPECT_EQ(text, "<B __userdata=\"note\" __type=\"Box\"/>\n");
  EXPECT_EQ(*ReadRecord("C", text).GetUserData(), "note");

  CDataStruct* one = Child(box, "one");
  const std::string oneText = one->Serialize(nullptr, false);
  EXPECT_EQ(oneText, "<one __type=\"Thing\" id=\"4\"/>\n");
  EXPECT_TRUE(one->CanDeserialize(oneText.c_str()));
  for (const char* other : {R"(<items id="4"/>)", "<one", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(one->CanDeserialize(other));
  }
}

}  // namespace
