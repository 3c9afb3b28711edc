#include "editing/command_history.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Database::CommandHistory;
using Database::ICommand;

// Appends "name+" on execute, "name-" on undo, "name!" on discard and "name~" on destruction.
class Recorder : public ICommand {
 public:
  Recorder(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
  ~Recorder() override { log_->push_back(name_ + "~"); }
  bool Execute() override {
    log_->push_back(name_ + "+");
    return true;
  }
  void Undo() override { log_->push_back(name_ + "-"); }
  void Discard() override { log_->push_back(name_ + "!"); }

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

class CommandHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { History().Clear(); }
  void TearDown() override {
    History().EndChain();
    History().Clear();
  }
  static CommandHistory& History() { return CommandHistory::Instance(); }
  void Add(const std::string& name) {
    History().AddCommand(std::make_unique<Recorder>(&log, name));
  }
  std::vector<std::string> log;
};

TEST_F(CommandHistoryTest, ChainUndoesNewestFirstAndRedoesInOrder) {
  History().BeginChain();
  Add("a");
  Add("b");
  Add("c");
  History().EndChain();
  log.clear();
  History().Undo();
  EXPECT_EQ(log, (std::vector<std::string>{"c-", "b-", "a-"}));
  EXPECT_FALSE(History().CanUndo());
  log.clear();
  History().Redo();
  EXPECT_EQ(log, (std::vector<std::string>{"a+", "b+", "c+"}));
  log.clear();
  History().Undo();
  EXPECT_EQ(log, (std::vector<std::string>{"c-", "b-", "a-"}));
}

TEST_F(CommandHistoryTest, EmptyChainIsAnUndoStep) {
  History().BeginChain();
  History().EndChain();
  EXPECT_TRUE(History().CanUndo());
  History().Undo();
  EXPECT_FALSE(History().CanUndo());
  EXPECT_TRUE(History().CanRedo());
}

TEST_F(CommandHistoryTest, NewEditDiscardsRedoStepsButBeginChainDoesNot) {
  Add("a");
  Add("b");
  History().Undo();
  History().Undo();
  History().BeginChain();
  EXPECT_TRUE(History().CanRedo());
  log.clear();
  Add("c");
  History().EndChain();
  EXPECT_FALSE(History().CanRedo());
  // Redo stack newest first: a was undone last, so it is dropped first.
  EXPECT_EQ(log, (std::vector<std::string>{"c+", "a!", "a~", "b!", "b~"}));
}

TEST_F(CommandHistoryTest, ClearDestroysWithoutDiscard) {
  Add("a");
  Add("b");
  History().Undo();
  log.clear();
  History().Clear();
  EXPECT_EQ(log, (std::vector<std::string>{"b~", "a~"}));
  EXPECT_FALSE(History().CanUndo());
  EXPECT_FALSE(History().CanRedo());
}

// A command that records another command while it is being undone or redone.
class Nested : public ICommand {
 public:
  explicit Nested(std::vector<std::string>* log) : log_(log) {}
  bool Execute() override { return true; }
  void Undo() override {
    CommandHistory::Instance().AddCommand(std::make_unique<Recorder>(log_, "inner"));
  }

 private:
  std::vector<std::string>* log_;
};

TEST_F(CommandHistoryTest, CommandsAddedWhileReplayingRunButAreNotRecorded) {
  History().AddCommand(std::make_unique<Nested>(&log));
  History().Undo();
  EXPECT_EQ(log, std::vector<std::string>{"inner+"});
  EXPECT_FALSE(History().CanUndo());
  EXPECT_TRUE(History().CanRedo());
}

TEST_F(CommandHistoryTest, ChainWithoutAStepStartsANewOne) {
  History().BeginChain();
  History().Undo();  // the chain's empty step moves to the redo stack
  Add("a");
  EXPECT_TRUE(History().CanUndo());
  Add("b");
  History().EndChain();
  log.clear();
  History().Undo();
  EXPECT_EQ(log, (std::vector<std::string>{"b-", "a-"}));
}

}  // namespace
