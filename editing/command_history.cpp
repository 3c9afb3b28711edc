#include "editing/command_history.h"

#include <utility>

#include "base/object_registry.h"

namespace Database {

CommandHistory::CommandHistory() { ObjectRegistry::Instance(); }

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

void CommandHistory::Replay(std::vector<CommandGroup>& from, std::vector<CommandGroup>& to,
                            void (*step)(ICommand&)) {
  if (from.empty()) return;
  replaying_ = true;
  CommandGroup source = std::move(from.back());
  from.pop_back();
  // Taking commands from the back reverses the group: undo runs newest first and stores the
  // group newest first, so redo runs it oldest first again.
  CommandGroup replayed;
  while (!source.empty()) {
    step(*source.back());
    replayed.push_back(std::move(source.back()));
    source.pop_back();
  }
  to.push_back(std::move(replayed));
  replaying_ = false;
}

void CommandHistory::Undo() {
  Replay(undoStack_, redoStack_, [](ICommand& command) { command.Undo(); });
}

void CommandHistory::Redo() {
  Replay(redoStack_, undoStack_, [](ICommand& command) { command.Execute(); });
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
