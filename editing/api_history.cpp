#include "tessella.h"
// The public header comes first: it must compile on its own.

#include "base/object_registry.h"
#include "editing/command_history.h"

using Database::CommandHistory;

namespace {

// The host's undo switch gates every history export but DB_EnableUndo; recording goes on.
void IfEnabled(void (CommandHistory::*operation)()) {
  CommandHistory& history = CommandHistory::Instance();
  if (history.UndoEnabled()) Database::Guarded([&] { (history.*operation)(); });
}

bool IfEnabled(bool (CommandHistory::*query)() const) {
  const CommandHistory& history = CommandHistory::Instance();
  return history.UndoEnabled() && (history.*query)();
}

}  // namespace

void DB_EnableUndo(bool enable) noexcept { CommandHistory::Instance().SetUndoEnabled(enable); }

bool DB_CanUndo() noexcept { return IfEnabled(&CommandHistory::CanUndo); }

bool DB_CanRedo() noexcept { return IfEnabled(&CommandHistory::CanRedo); }

void DB_Undo() noexcept { IfEnabled(&CommandHistory::Undo); }

void DB_Redo() noexcept { IfEnabled(&CommandHistory::Redo); }

void DB_BeginCommandChain() noexcept { IfEnabled(&CommandHistory::BeginChain); }

void DB_EndCommandChain() noexcept { IfEnabled(&CommandHistory::EndChain); }
