// Commands that attach, detach, create and retype structures, and replace a structure from text.
//
// Ownership: a structure that a command takes out of the tree is owned by a detached list (its
// holder's, see CDataStruct::DetachHeld) until the command puts it back; a structure a command
// created is destroyed once no step can bring it back (its step left the redo side); a structure
// the host supplied is never destroyed by a command. A structure is attached to a new holder only
// when it was detached: its parent link then follows it, and goes back on undo.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "editing/edit_command.h"

namespace Database {

// The structure a command stores in a field of holder: the one given, or (given 0) one the
// command creates on its first run. A created structure, and a given one that was detached, are
// owned by the tree while stored and go back to the detached list they came from when taken out.
struct AttachedStructure {
  THandle handle;
  THandle type;
  THandle previousParent = 0;
  bool created = false;  // destroyed once no step can store it again
  bool taken = false;    // owned through the field while stored

  // Gets the structure ready to be stored in a field of holder; false when it cannot be had.
  bool Obtain(CDataStruct& holder);
  // After the structure was taken out of holder's field: back to where it came from.
  void GiveBack(CDataStruct& holder) const;
  // The step left the redo side (the structure is not stored): destroys a created structure.
  void Discard() const;
};

// Inserts a structure (the given one, or with 0 a new one of the field's type) into an array of
// structures or owning pointers.
class Command_ArrayElementAddStruct final : public CFieldCommand {
 public:
  // destroyOnDiscard: the caller made the structure for this command alone.
  Command_ArrayElementAddStruct(THandle field, THandle element, THandle elementType, uint32_t index,
                                bool destroyOnDiscard = false)
      : CFieldCommand(field), element_{element, elementType, 0, destroyOnDiscard}, index_(index) {}

  bool Execute() override;
  void Undo() override;
  void Discard() override;
  // The position Execute used; kAppendIndex when it inserted nothing.
  uint32_t GetIndex() const { return Applied() ? index_ : kAppendIndex; }

 private:
  AttachedStructure element_;
  uint32_t index_;
};
using Command_ArrayElementAddPointer = Command_ArrayElementAddStruct;

// Attaches a structure (the given one, or with 0 a new one of the field's type) to an empty
// owning-pointer element.
class Command_PointerNew final : public CFieldCommand {
 public:
  Command_PointerNew(THandle field, THandle target, THandle elementType, uint32_t index)
      : CFieldCommand(field), target_{target, elementType}, index_(index) {}

  bool Execute() override;
  void Undo() override;
  void Discard() override;

 private:
  AttachedStructure target_;
  uint32_t index_;
  bool appended_ = false;
};

// Detaches the structure of an owning-pointer element, leaving the element empty.
class Command_PointerDelete final : public CFieldCommand {
 public:
  Command_PointerDelete(THandle field, uint32_t index) : CFieldCommand(field), index_(index) {}
  ~Command_PointerDelete() override;

  bool Execute() override;
  void Undo() override;

 private:
  THandle detached_ = 0;
  uint32_t index_;
  bool owned_ = false;
};

// Changes a structure's polymorphic type; undo sets the type it had. Fields the new type added
// stay, with their values.
class Command_StructSetPolymorphicType final : public CStructCommand {
 public:
  Command_StructSetPolymorphicType(const CDataStruct& structure, THandle type)
      : CStructCommand(structure.GetHandle()),
        newType_(type),
        previousType_(structure.GetPolymorphicType() != 0 ? structure.GetPolymorphicType()
                                                          : structure.GetSchemaHandle()) {}

  bool Execute() override;
  void Undo() override;

 private:
  THandle newType_;
  THandle previousType_;
};

// Reads a structure from text. The first run keeps the whole state of the structure's tree from
// before and after the reading; undo and redo put those states back, so the structures the text
// replaced come back with their handles, and so do the ones it created.
class Command_Deserialize final : public CStructCommand {
 public:
  Command_Deserialize(THandle structure, std::string text, const char* filter)
      : CStructCommand(structure),
        text_(std::move(text)),
        filter_(filter ? std::optional<std::string>(filter) : std::nullopt) {}

  // Destroys the structures only the undone paste held (Discard) or only the state before it held
  // (when the history lets go of the applied paste).
  ~Command_Deserialize() override;
  void Discard() override;
  bool Execute() override;
  void Undo() override;

 private:
  std::string text_;
  std::optional<std::string> filter_;
  std::unique_ptr<CDataStruct::TreeState> before_;
  std::unique_ptr<CDataStruct::TreeState> after_;
};

}  // namespace Database
