// The editor window's undo history: the memory bound drops the oldest steps and keeps the
// saved state where it can, and a step that cannot be undone clears the history.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QUndoStack>
#include <string>
#include <vector>

#include "core/editor/field_commands.h"
#include "gui/editor/undo_history.h"

using namespace zendra;

namespace {

// Appends its name to a log when done and takes it off when undone; holds `bytes`.
struct Step : Command {
  Step(std::vector<std::string>& log, std::string name, std::size_t bytes, bool keeps = true)
      : log_(log), name_(std::move(name)), bytes_(bytes), keeps_(keeps) {}
  void redo() override { log_.push_back(name_); }
  void undo() override { log_.pop_back(); }
  std::string text() const override { return name_; }
  std::size_t memoryBytes() const override { return bytes_; }
  bool undoable() const override { return keeps_; }

  std::vector<std::string>& log_;
  std::string name_;
  std::size_t bytes_;
  bool keeps_;
};

}  // namespace

TEST(UndoHistory, TheOldestStepsGoPastTheBudgetAndTheSavedStateStaysWhereItWas) {
  std::vector<std::string> log;
  UndoHistory history(nullptr, 100);
  QUndoStack* stack = history.stack();
  QSignalSpy restored(&history, &UndoHistory::tableRestored);
  history.push(std::make_unique<Step>(log, "a", 40));
  history.push(std::make_unique<Step>(log, "b", 40));
  stack->setClean();                                   // saved after b
  history.push(std::make_unique<Step>(log, "c", 40));  // 120 bytes: a goes
  EXPECT_EQ(stack->count(), 2);
  EXPECT_EQ(history.bytes(), 80u);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));  // nothing undone or redone
  EXPECT_EQ(restored.count(), 0);
  EXPECT_FALSE(stack->isClean());
  stack->undo();  // back to the saved state
  EXPECT_TRUE(stack->isClean());
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(restored.count(), 1);
  stack->redo();

  // The saved state itself is dropped: no undo can reach it any more.
  history.push(std::make_unique<Step>(log, "d", 90));
  EXPECT_EQ(stack->count(), 1);
  stack->undo();
  EXPECT_FALSE(stack->isClean());
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));

  // A step larger than the whole budget still stays, alone.
  history.push(std::make_unique<Step>(log, "e", 500));
  EXPECT_EQ(stack->count(), 1);
  EXPECT_TRUE(stack->canUndo());
}

TEST(UndoHistory, AStepThatCannotBeUndoneIsDoneAndLeavesNoHistoryButAChange) {
  std::vector<std::string> log;
  UndoHistory history;
  QUndoStack* stack = history.stack();
  history.push(std::make_unique<Step>(log, "a", 1));
  stack->setClean();
  EXPECT_FALSE(history.push(std::make_unique<Step>(log, "huge", 1, false)));
  EXPECT_EQ(log, (std::vector<std::string>{"a", "huge"}));
  EXPECT_EQ(stack->count(), 0);
  EXPECT_FALSE(stack->canUndo());
  EXPECT_FALSE(stack->isClean());  // the table stays changed until it is saved
}

TEST(UndoHistory, TypingThatEndsWhereItBeganAndAChoiceOfTheSameValueAreNoSteps) {
  UndoHistory history;
  QUndoStack* stack = history.stack();
  std::string field = "old";
  const auto session = newTypingSession();
  history.push(std::make_unique<SetTextCommand>(
      "Typing", std::vector<SetTextCommand::Change>{{nullptr, &field, "oldx"}}, session));
  EXPECT_EQ(stack->count(), 1);
  EXPECT_FALSE(stack->isClean());
  history.push(std::make_unique<SetTextCommand>(
      "Typing", std::vector<SetTextCommand::Change>{{nullptr, &field, "old"}}, session));
  EXPECT_EQ(field, "old");
  EXPECT_EQ(stack->count(), 0);
  EXPECT_TRUE(stack->isClean());
  history.push(std::make_unique<SetTextCommand>(
      "Choice", std::vector<SetTextCommand::Change>{{nullptr, &field, "old"}}));
  EXPECT_EQ(stack->count(), 0);
}

TEST(UndoHistory, AStepThatTurnsOutToChangeNothingWhenDoneIsNotKept) {
  // Knows only when done that it changes nothing, as a step with a refused name does.
  struct Refused : Command {
    bool done = false;
    void redo() override { done = true; }
    void undo() override {}
    std::string text() const override { return "Refused"; }
    std::size_t memoryBytes() const override { return 0; }
    bool changesNothing() const override { return done; }
  };
  UndoHistory history;
  std::vector<std::string> log;
  history.push(std::make_unique<Step>(log, "a", 1));
  history.stack()->setClean();
  history.push(std::make_unique<Refused>());
  EXPECT_EQ(history.stack()->count(), 1);
  EXPECT_TRUE(history.stack()->isClean());
  EXPECT_EQ(log, (std::vector<std::string>{"a"}));
}
