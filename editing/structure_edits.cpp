#include "editing/structure_edits.h"

#include <tinyxml2.h>

#include <memory>
#include <string>
#include <utility>

#include "data/data_record.h"
#include "editing/command_history.h"
#include "editing/structure_commands.h"

namespace Database {
namespace {

using Schema::StorageType;

bool IsArray(const Schema::CSchemaField& schema) {
  return schema.GetStorageType() == StorageType::DynamicArray ||
         schema.GetStorageType() == StorageType::FixedArray;
}

}  // namespace

bool DeserializeStructure(CDataStruct& structure, const char* text, const char* filter) {
  if (!text) return false;
  CommandHistory::Instance().AddCommand(
      std::make_unique<Command_Deserialize>(structure.GetHandle(), text, filter));
  return true;
}

void SetPolymorphicType(CDataStruct& structure, THandle type) {
  CommandHistory::Instance().AddCommand(
      std::make_unique<Command_StructSetPolymorphicType>(structure, type));
}

bool DuplicateInsideArray(CDataStruct& structure) {
  CDataStruct* parent = Resolve<CDataStruct>(structure.GetParentHandle());
  const char* name = structure.GetName();
  if (!parent || !name || structure.IsRecord()) return false;
  CDataField* field = Resolve<CDataField>(parent->FieldByName(name));
  const Schema::CSchemaField* schema = field ? field->GetSchema() : nullptr;
  if (!schema || !IsArray(*schema) || field->GetElementKind() != ElementKind::StructHandle ||
      field->IsFull()) {
    return false;
  }
  // The copy is read from the structure's text in a buffer of its own: the host's export buffer
  // keeps what it holds.
  std::string text;
  structure.SerializeInto(text, nullptr, false);
  tinyxml2::XMLDocument document;
  if (document.Parse(text.c_str()) != tinyxml2::XML_SUCCESS) return false;
  ObjectPtr<CDataStruct> copy = parent->NewChild(0, false);
  copy->Load(structure.GetTypeName(), document.FirstChildElement(), nullptr);
  copy->ResolveWeakPointers();
  copy->ResolveReferences();
  const THandle handle = copy.release()->GetHandle();
  parent->DetachHeld(handle);
  auto command = std::make_unique<Command_ArrayElementAddStruct>(
      field->GetHandle(), handle, schema->GetCustomType(), kAppendIndex, true);
  CommandHistory::Instance().AddCommand(std::move(command));
  return true;
}

}  // namespace Database
