#include "editing/command_history.h"

#include <utility>

namespace Database {

CommandHistory& CommandHistory::Instance() {
  static CommandHistory history;
  return history;
}

void CommandHistory::AddCommand(std::unique_ptr<ICommand> command) {
  ICommand& executed = *command;
  if (replaying_) {
    replayed_.push_back(std::move(command));
    executed.Execute();
    return;
  }
  // A chain whose step was undone (or cleared away) has nothing to join: start a new step.
  if (chainOpen_ && !undoStack_.empty()) {
    undoStack_.back().push_back(std::move(command));
  } else {
    undoStack_.emplace_back().push_back(std::move(command));
  }
  executed.Execute();
  DropRedoSteps();
}

void CommandHistory::DropRedoSteps() {
  while (!redoStack_.empty()) {
    CommandGroup& group = redoStack_.back();
    while (!group.empty()) {
      group.back()->Discard();
      group.pop_back();
    }
    redoStack_.pop_back();
  }
}

void CommandHistory::Undo() {
  if (undoStack_.empty()) return;
  replaying_ = true;
  CommandGroup done = std::move(undoStack_.back());
  undoStack_.pop_back();
  CommandGroup undone;
  while (!done.empty()) {
    done.back()->Undo();
    undone.push_back(std::move(done.back()));
    done.pop_back();
  }
  redoStack_.push_back(std::move(undone));
  replaying_ = false;
}

void CommandHistory::Redo() {
  if (redoStack_.empty()) return;
  replaying_ = true;
  CommandGroup undone = std::move(redoStack_.back());
  redoStack_.pop_back();
  CommandGroup redone;
  while (!undone.empty()) {
    undone.back()->Execute();
    redone.push_back(std::move(undone.back()));
    undone.pop_back();
  }
  undoStack_.push_back(std::move(redone));
  replaying_ = false;
}

void CommandHistory::BeginChain() {
  chainOpen_ = true;
  undoStack_.emplace_back();
}

void CommandHistory::Clear() {
  while (!redoStack_.empty()) redoStack_.pop_back();
  while (!undoStack_.empty()) undoStack_.pop_back();
  replayed_.clear();
}

}  // namespace Database
