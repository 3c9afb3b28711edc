// The interface of every undoable edit.
#pragma once

namespace Database {

class ICommand {
 public:
  virtual ~ICommand() = default;
  // Performs the edit; also used for redo. False when it found nothing to change or refused.
  virtual bool Execute() = 0;
  // Reverses what the last Execute did.
  virtual void Undo() = 0;
  // Called just before the history destroys a command that will never be redone.
  virtual void Discard() {}
};

}  // namespace Database
