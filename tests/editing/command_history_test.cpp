#include "editing/command_history.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "tessella.h"

namespace {

using Database::CommandHistory;
using Database::ICommand;

CommandHistory& History() { return CommandHistory::Instance(); }

// Logs "name+" on Execute, "name-" on Undo, "name!" on Discard and "name~" when destroyed.
class Recorder : public ICommand {
 public:
  Recorder(std::string* log, std::string name) : log_(log), name_(std::move(name)) {}
  ~Recorder() override { Note("~"); }
  bool Execute() override { return Note("+"); }
  void Undo() override { Note("-"); }
  void Discard() override { Note("!"); }

 protected:
  bool Note(const char* what) {
    *log_ += (log_->empty() ? "" : " ") + name_ + what;
    return true;
  }
  std::string* log_;
  std::string name_;
};

// Records a Recorder named "i" whenever it is undone.
class Nested : public Recorder {
 public:
  using Recorder::Recorder;
  void Undo() override {
    Recorder::Undo();
    History().AddCommand(std::make_unique<Recorder>(log_, "i"));
  }
};

class CommandHistoryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    DB_EnableUndo(true);
    History().Clear();
  }

  // Runs space-separated steps: +x records Recorder x, *x records Nested x; u r [ ] are the
  // history's Undo, Redo, BeginChain, EndChain and U R { } the exports; off/on switch undo;
  // clear clears; | empties the log.
  void Run(const std::string& script) {
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
      if (step[0] == '+') History().AddCommand(std::make_unique<Recorder>(&log, step.substr(1)));
      if (step[0] == '*') History().AddCommand(std::make_unique<Nested>(&log, step.substr(1)));
      if (step == "u") History().Undo();
      if (step == "r") History().Redo();
      if (step == "[") History().BeginChain();
      if (step == "]") History().EndChain();
      if (step == "U") DB_Undo();
      if (step == "R") DB_Redo();
      if (step == "{") DB_BeginCommandChain();
      if (step == "}") DB_EndCommandChain();
      if (step == "off" || step == "on") DB_EnableUndo(step == "on");
      if (step == "clear") History().Clear();
      if (step == "|") log.clear();
    }
  }

  std::string log;
};

struct Case {
  const char* name;
  const char* script;
  const char* log;  // after the last |
  bool canUndo;
  bool canRedo;
};

const Case kCases[] = {
    {"chain undoes newest first, redoes oldest first", "[ +a +b +c ] | u r u",
     "c- b- a- a+ b+ c+ c- b- a-", false, true},
    {"edit after the chain's step was undone starts its own step", "+t [ +a u | +b ] u",
     "b+ a! a~ b-", true, true},
    {"edit after a redo covered the chain's step starts its own step", "+t u [ r | +b ] u", "b+ b-",
     true, true},
    {"chain's step joined again once the step on top is undone", "+t u [ r u | +b ] u",
     "b+ t! t~ b-", false, true},
    {"chain's step redone is not joined again", "[ +a u r | +b ] u", "b+ b-", true, true},
    {"clear closes the chain", "[ +a clear | +b +c u", "b+ c+ c-", true, true},
    {"clear destroys newest first without discard", "+a +b u | clear", "b~ a~", false, false},
    {"edit discards redo steps newest first, last command first", "[ +a +b ] +c u u | +d",
     "d+ a! a~ b! b~ c! c~", true, false},
    {"begin chain leaves the redo side", "+a u | [", "", true, true},
    {"commands run while replaying are not recorded and live until clear", "*n u r u",
     "n+ n- i+ n+ n- i+", false, true},
    {"commands run while replaying die with clear after the steps", "*n u | clear", "n~ i~", false,
     false},
    {"undo and redo do nothing while disabled", "+a +b u off | U R", "", true, true},
    {"edits are recorded while disabled", "off +a +b on | U U", "b- a-", false, true},
    {"chain opens only while enabled", "off { on +a +b | U", "b-", true, true},
    {"chain stays open past an end while disabled", "{ +a off } on +b | U", "b- a-", false, true}};

TEST_F(CommandHistoryTest, Scripts) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Run(c.script);
    EXPECT_EQ(log, c.log);
    EXPECT_EQ(History().CanUndo(), c.canUndo);
    EXPECT_EQ(History().CanRedo(), c.canRedo);
    EXPECT_EQ(DB_CanUndo(), c.canUndo && History().UndoEnabled());
    EXPECT_EQ(DB_CanRedo(), c.canRedo && History().UndoEnabled());
    Run("] on clear |");
  }
}

}  // namespace
