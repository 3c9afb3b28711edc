// The one process-wide undo/redo history. Each undo step is a group of commands; a command chain
// makes every command recorded while it is open join one step. The history owns every command it
// records and writes no log lines.
//
// Storage: each side (undo, redo) is one flat vector of commands plus the offset at which each
// step starts, newest step last. A step costs one offset; a command costs its owning pointer.
// Undo steps hold their commands oldest first; redo steps hold them newest first (an undone step
// is moved command by command, newest first), so redo re-executes them oldest first. Offsets are
// 32-bit: each side holds fewer than 2^32 commands, and recording past that throws
// std::length_error as running out of memory would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "editing/command.h"

namespace Database {

class CommandHistory {
 public:
  static CommandHistory& Instance();

  // Records the command as a new step (or in the open chain's step), executes it, then drops every
  // redo step: newest step first, last command first, each gets Discard before it is destroyed.
  // While an undo or redo is replaying, the command is only executed; it is kept alive, unrecorded,
  // until Clear.
  void AddCommand(std::unique_ptr<ICommand> command);
  // Undoes the newest step, newest command first; nothing when there is none.
  void Undo();
  // Re-executes the newest undone step, oldest command first; nothing when there is none.
  void Redo();
  // Opens a chain: pushes a new, empty step at once, which the chain owns. The redo side is left
  // alone. A second BeginChain while a chain is open moves the chain to another new step.
  void BeginChain();
  // Closes the chain; its step stays, empty or not.
  void EndChain() { chainOpen_ = false; }
  // Destroys every command without Discard, newest first: the redo side, then the undo side, then
  // those run while replaying. Closes the chain.
  void Clear();

  // An empty step counts.
  bool CanUndo() const { return !undo_.starts.empty(); }
  bool CanRedo() const { return !redo_.starts.empty(); }

  // Gates the host's history exports; recording goes on regardless.
  bool UndoEnabled() const { return undoEnabled_; }
  void SetUndoEnabled(bool enabled) { undoEnabled_ = enabled; }

 private:
  // One side of the history: steps are the ranges [starts[i], starts[i + 1]) of commands.
  struct Steps {
    std::vector<std::unique_ptr<ICommand>> commands;
    std::vector<uint32_t> starts;
    void Push();
  };

  // Constructs the object registry first: commands still held at unload may release objects.
  CommandHistory();
  // Whether a command recorded now joins the chain's step: the chain is open, it still has its
  // step, and that step is the newest undo step.
  bool JoinsChain() const;
  void DropRedoSteps();
  // Moves the newest step of from onto to, running step on each command, newest first.
  void Replay(Steps& from, Steps& to, void (*step)(ICommand&));

  static constexpr size_t kNoStep = SIZE_MAX;

  Steps undo_;
  Steps redo_;
  std::vector<std::unique_ptr<ICommand>> replayed_;  // executed while replaying, never recorded
  // While chainOpen_: index in undo_.starts of the step the chain owns, or kNoStep once that
  // step was undone. Steps below it never move while it stands, so the index names it.
  size_t chainStep_ = kNoStep;
  bool replaying_ = false;
  bool chainOpen_ = false;
  bool undoEnabled_ = true;
};

}  // namespace Database
