#include "schema/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schema/model.h"
#include "support/worked_example.h"
#include "support/database_fixture.h"

namespace {

using Database::Resolve;
using Schema::CSchemaEnum;
using Schema::CSchemaField;
using Schema::CSchemaStruct;
using Schema::FieldOption;
using Schema::FieldType;
using Schema::SchemaRegistry;
using Schema::StorageType;

const CSchemaStruct* Struct(const char* name) {
  return Resolve<CSchemaStruct>(SchemaRegistry::Instance().FindStructByName(name));
}

const CSchemaEnum* Enum(const char* name) {
  return Resolve<CSchemaEnum>(SchemaRegistry::Instance().FindEnumByName(name));
}

const CSchemaField* Field(const char* structName, const char* fieldName) {
  const CSchemaStruct* s = Struct(structName);
  return s ? s->FindField(fieldName, true, 0) : nullptr;
}

class ParserTest : public DatabaseFixture {};

TEST_F(ParserTest, WorkedExampleDeclaresEverything) {
  ASSERT_TRUE(LoadSchema(kWorkedExample, "Schema/example.sch"));

  const CSchemaEnum* channel = Enum("EChannel");
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->Enumerables(), (std::vector<std::string>{"Red", "Green", "Blue"}));
  ASSERT_NE(channel->GetKeyValue("desc"), nullptr);
  EXPECT_EQ(*channel->GetKeyValue("desc"), "Colour channels");
  ASSERT_NE(channel->GetEnumerableKeyValue("Green", "desc"), nullptr);
  EXPECT_EQ(*channel->GetEnumerableKeyValue("Green", "desc"), "The green one");
  EXPECT_EQ(channel->GetEnumerableKeyValue("Red", "desc"), nullptr);

  const CSchemaStruct* item = Struct("ItemBase");
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->IsRecord());
  EXPECT_EQ(item->GetInheritsFrom(), 0u);
  EXPECT_EQ(item->GetOwnerFile(), "Schema/example.sch");
  ASSERT_NE(item->GetKeyValue("category"), nullptr);
  EXPECT_EQ(*item->GetKeyValue("category"), "items");

  const CSchemaField* name = Field("ItemBase", "Name");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->GetFieldType(), FieldType::String);
  EXPECT_EQ(*name->GetKeyValue("desc"), "Shown in lists");
  EXPECT_EQ(name->GetRange(), nullptr);

  const CSchemaField* weight = Field("ItemBase", "Weight");
  ASSERT_NE(weight, nullptr);
  EXPECT_EQ(weight->GetFieldType(), FieldType::Int32);
  EXPECT_TRUE(weight->HasRange());
  ASSERT_NE(weight->GetRange(), nullptr);
  EXPECT_EQ(weight->GetRange()->min.sign, 0);
  EXPECT_EQ(weight->GetRange()->max.sign, 100);
  EXPECT_EQ(weight->GetRange()->step.sign, 5);

  const CSchemaField* tint = Field("ItemBase", "Tint");
  ASSERT_NE(tint, nullptr);
  EXPECT_EQ(tint->GetFieldType(), FieldType::Enum);
  EXPECT_EQ(tint->GetCustomType(), channel->GetHandle());

  const CSchemaStruct* blade = Struct("Blade");
  ASSERT_NE(blade, nullptr);
  EXPECT_EQ(blade->GetInheritsFrom(), item->GetHandle());
  EXPECT_TRUE(blade->KeyValues().empty());
  const CSchemaField* length = Field("Blade", "Length");
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length->GetFieldType(), FieldType::Float);
  EXPECT_FALSE(length->HasRange());
  ASSERT_NE(length->GetRange(), nullptr);
  const CSchemaField* runes = Field("Blade", "Runes");
  ASSERT_NE(runes, nullptr);
  EXPECT_EQ(runes->GetFieldType(), FieldType::UInt8);
  EXPECT_EQ(runes->GetStorageType(), StorageType::FixedArray);
  EXPECT_EQ(runes->GetFixedArraySize(), 4u);

  const CSchemaStruct* armory = Struct("Armory");
  ASSERT_NE(armory, nullptr);
  EXPECT_TRUE(armory->IsRecord());
  const CSchemaField* blades = Field("Armory", "Blades");
  ASSERT_NE(blades, nullptr);
  EXPECT_EQ(blades->GetFieldType(), FieldType::Struct);
  EXPECT_EQ(blades->GetCustomType(), blade->GetHandle());
  EXPECT_EQ(blades->GetFieldOption(), FieldOption::OptionPointer);
  EXPECT_EQ(blades->GetStorageType(), StorageType::DynamicArray);
  const CSchemaField* favourite = Field("Armory", "Favourite");
  ASSERT_NE(favourite, nullptr);
  EXPECT_EQ(favourite->GetFieldType(), FieldType::Struct);
  EXPECT_EQ(favourite->GetCustomType(), item->GetHandle());
  EXPECT_EQ(favourite->GetFieldOption(), FieldOption::OptionWeakPointer);
  EXPECT_TRUE(favourite->IsWeakPointer());
  EXPECT_EQ(favourite->GetStorageType(), StorageType::Single);
  const CSchemaField* other = Field("Armory", "Other");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->GetFieldType(), FieldType::Reference);
  EXPECT_EQ(other->GetCustomType(), armory->GetHandle());
  EXPECT_EQ(other->GetFieldOption(), FieldOption::OptionAmpersand);

  const char* inheritedOrder[] = {"Name", "Weight", "Tint", "Length", "Runes"};
  ASSERT_EQ(blade->GetFieldCount(true, 0), 5u);
  for (int i = 0; i < 5; ++i) {
    const auto* field = Resolve<CSchemaField>(blade->GetFieldByIndex(i, true, 0));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetName(), inheritedOrder[i]);
  }

  EXPECT_EQ(Log().Texts(),
            (std::vector<std::string>{"[Message] [Tessella] Schema file loaded Schema/example.sch",
                                      "[Message] [Tessella] Records Loaded: 0"}));
}

}  // namespace
