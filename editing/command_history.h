// The one process-wide undo/redo history. Each undo step is a group of commands; a command chain
// makes every command recorded while it is open join one group. The history owns every command
// it records.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "editing/command.h"

namespace Database {

class CommandHistory {
 public:
  static CommandHistory& Instance();

  // Records the command as a new step (or in the open chain's step), executes it and drops every
  // redo step (each gets Discard first). While an undo or redo is replaying, the command is only
  // executed, not recorded.
  void AddCommand(std::unique_ptr<ICommand> command);
  // Undoes the newest step, newest command first; nothing when there is none.
  void Undo();
  // Re-executes the newest undone step, oldest command first; nothing when there is none.
  void Redo();
  // Opens a chain: pushes a new, empty step at once.
  void BeginChain();
  // Closes the chain; its step stays, empty or not.
  void EndChain() { chainOpen_ = false; }
  // Destroys every step without calling Discard.
  void Clear();

  bool CanUndo() const { return !undoStack_.empty(); }
  bool CanRedo() const { return !redoStack_.empty(); }

  // Gates the host's history exports; recording goes on regardless.
  bool UndoEnabled() const { return undoEnabled_; }
  void SetUndoEnabled(bool enabled) { undoEnabled_ = enabled; }

 private:
  using CommandGroup = std::deque<std::unique_ptr<ICommand>>;

  // Constructs the object registry first: commands still held at unload may release objects.
  CommandHistory();
  void DropRedoSteps();
  // Moves the newest group of from onto to, running step on each command, newest first.
  void Replay(std::vector<CommandGroup>& from, std::vector<CommandGroup>& to,
              void (*step)(ICommand&));

  std::vector<CommandGroup> undoStack_;
  std::vector<CommandGroup> redoStack_;
  std::vector<std::unique_ptr<ICommand>> replayed_;  // executed while replaying, never recorded
  bool replaying_ = false;
  bool chainOpen_ = false;
  bool undoEnabled_ = true;
};

}  // namespace Database
