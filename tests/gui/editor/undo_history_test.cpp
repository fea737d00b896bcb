// The editor window's undo history: the memory bound drops the oldest steps and keeps the
// saved state where it can, a step that cannot be undone clears the history, and a step
// that changes nothing is not kept.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QUndoStack>
#include <string>

#include "core/editor/field_commands.h"
#include "gui/editor/undo_history.h"

using namespace zendra;

namespace {

// Appends its name to a log when done and takes it off when undone; holds `bytes`. With
// `kind` 'u' it cannot be undone; with 'n' it finds out only when done that it changes
// nothing, as a step with a refused name does.
struct Step : Command {
  Step(std::string& log, char name, std::size_t bytes, char kind = ' ')
      : log_(log), name_(name), bytes_(bytes), kind_(kind) {}
  void redo() override {
    if (kind_ == 'n') done_ = true;
    if (kind_ != 'n') log_ += name_;
  }
  void undo() override { log_.pop_back(); }
  std::string text() const override { return std::string(1, name_); }
  std::size_t memoryBytes() const override { return bytes_; }
  bool undoable() const override { return kind_ != 'u'; }
  bool changesNothing() const override { return kind_ == 'n' && done_; }

  std::string& log_;
  char name_;
  std::size_t bytes_;
  char kind_;
  bool done_ = false;
};

}  // namespace

TEST(UndoHistory, TheOldestStepsGoPastTheBudgetAndTheSavedStateStaysWhereItWas) {
  std::string log;
  UndoHistory history(nullptr, 100);
  QUndoStack* stack = history.stack();
  QSignalSpy restored(&history, &UndoHistory::tableRestored);
  history.push(std::make_unique<Step>(log, 'a', 40));
  history.push(std::make_unique<Step>(log, 'b', 40));
  stack->setClean();                                   // saved after b
  history.push(std::make_unique<Step>(log, 'c', 40));  // 120 bytes: a goes
  EXPECT_EQ(history.bytes(), 80u);
  EXPECT_EQ(log, "abc");  // nothing undone or redone
  stack->undo();  // back to the saved state
  EXPECT_TRUE(stack->isClean());
  EXPECT_EQ(restored.count(), 1);
  stack->redo();

  // The saved state itself is dropped: no undo can reach it any more.
  history.push(std::make_unique<Step>(log, 'd', 90));
  EXPECT_EQ(stack->count(), 1);
  stack->undo();
  EXPECT_FALSE(stack->isClean());
  EXPECT_EQ(log, "abc");
}

TEST(UndoHistory, AStepThatCannotBeUndoneIsDoneAndLeavesNoHistoryButAChange) {
  std::string log;
  UndoHistory history;
  history.push(std::make_unique<Step>(log, 'a', 1));
  history.stack()->setClean();
  EXPECT_FALSE(history.push(std::make_unique<Step>(log, 'h', 1, 'u')));
  EXPECT_EQ(log, "ah");
  EXPECT_EQ(history.stack()->count(), 0);
  EXPECT_FALSE(history.stack()->isClean());  // the table stays changed until it is saved
}

TEST(UndoHistory, StepsThatChangeNothingAreNotKept) {
  UndoHistory history;
  QUndoStack* stack = history.stack();
  // A step that turns out to change nothing only when done.
  std::string log;
  history.push(std::make_unique<Step>(log, 'a', 1));
  stack->setClean();
  history.push(std::make_unique<Step>(log, 'r', 0, 'n'));
  EXPECT_EQ(stack->count(), 1);
  EXPECT_TRUE(stack->isClean());
  // Typing that ends where it began, and a choice of the same value.
  std::string field = "old";
  const auto session = newTypingSession();
  const auto typed = [&](const char* text, const char* name, auto... typing) {
    history.push(std::make_unique<SetTextCommand>(
        name, std::vector<SetTextCommand::Change>{{nullptr, &field, text}}, typing...));
  };
  typed("oldx", "Typing", session);
  typed("old", "Typing", session);
  EXPECT_EQ(stack->count(), 1);
  EXPECT_TRUE(stack->isClean());
  typed("old", "Choice");
  EXPECT_EQ(stack->count(), 1);
}
