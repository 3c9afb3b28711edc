#include "editing/command_history.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "base/object_registry.h"

namespace Database {

namespace {

// A cleared history may have held millions of commands: the storage goes back too.
template <typename T>
void Release(std::vector<T>& items) {
  while (!items.empty()) items.pop_back();
  std::vector<T>().swap(items);
}

// Makes room for more items at the back, growing geometrically as push_back does, so that room
// made step by step stays linear overall.
template <typename T>
void MakeRoom(std::vector<T>& items, size_t more) {
  const size_t needed = items.size() + more;
  if (needed > items.capacity()) items.reserve(std::max(needed, 2 * items.capacity()));
}

}  // namespace

CommandHistory::CommandHistory() { ObjectRegistry::Instance(); }

CommandHistory& CommandHistory::Instance() {
  static CommandHistory history;
  return history;
}

void CommandHistory::Steps::Push() {
  if (commands.size() >= UINT32_MAX) throw std::length_error("command history is full");
  starts.push_back(static_cast<uint32_t>(commands.size()));
}

bool CommandHistory::JoinsChain() const {
  return chainOpen_ && chainStep_ != kNoStep && chainStep_ + 1 == undo_.starts.size();
}

void CommandHistory::AddCommand(std::unique_ptr<ICommand> command) {
  ICommand& added = *command;
  if (replaying_) {
    replayed_.push_back(std::move(command));
    added.Execute();
    return;
  }
  if (!JoinsChain()) {
    undo_.Push();
    chainStep_ = undo_.starts.size() - 1;
  }
  undo_.commands.push_back(std::move(command));
  added.Execute();
  DropRedoSteps();
}

void CommandHistory::DropRedoSteps() {
  // The newest step lies at the back, so back to front is newest step first, last command first.
  while (!redo_.commands.empty()) {
    redo_.commands.back()->Discard();
    redo_.commands.pop_back();
  }
  redo_.starts.clear();
}

void CommandHistory::Replay(Steps& from, Steps& to, void (*step)(ICommand&)) {
  if (replaying_ || from.starts.empty()) return;
  const size_t start = from.starts.back();
  // Room first: once commands run, moving them over must not fail.
  MakeRoom(to.commands, from.commands.size() - start);
  MakeRoom(to.starts, 1);
  replaying_ = true;
  // Cleared however the commands end, so that a command that ran out of memory does not leave
  // the history replaying for good.
  struct Replaying {
    bool& flag;
    ~Replaying() { flag = false; }
  } replaying{replaying_};
  to.Push();
  for (size_t i = from.commands.size(); i > start; --i) {
    std::unique_ptr<ICommand>& command = from.commands[i - 1];
    step(*command);
    to.commands.push_back(std::move(command));
  }
  from.commands.resize(start);
  from.starts.pop_back();
}

void CommandHistory::Undo() {
  // The chain does not follow its step to the redo side; its next command starts a new step.
  if (!replaying_ && JoinsChain()) chainStep_ = kNoStep;
  Replay(undo_, redo_, [](ICommand& command) { command.Undo(); });
}

void CommandHistory::Redo() {
  Replay(redo_, undo_, [](ICommand& command) { command.Execute(); });
}

void CommandHistory::BeginChain() {
  undo_.Push();
  chainOpen_ = true;
  chainStep_ = undo_.starts.size() - 1;
}

void CommandHistory::Clear() {
  Release(redo_.commands);
  Release(redo_.starts);
  Release(undo_.commands);
  Release(undo_.starts);
  Release(replayed_);
  chainOpen_ = false;
  chainStep_ = kNoStep;
}

}  // namespace Database
