#include "gui/editor/undo_history.h"

#include <QUndoStack>
#include <vector>

namespace zendra {

// A command on the Qt stack. While the history rebuilds itself the steps only change
// places: they neither do nor undo anything, and they do not merge.
class UndoHistory::Step : public QUndoCommand {
 public:
  Step(std::shared_ptr<Command> command, const UndoHistory& history)
      : command_(std::move(command)), history_(history) {
    setText(QString::fromStdString(command_->text()));
  }

  void redo() override {
    if (history_.rebuilding_) return;
    if (!history_.pushing_ && history_.beforeRestore) history_.beforeRestore();
    command_->redo();
  }
  void undo() override {
    if (history_.rebuilding_) return;
    if (history_.beforeRestore) history_.beforeRestore();
    command_->undo();
  }
  int id() const override { return command_->id(); }
  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = dynamic_cast<const Step*>(other);
    if (history_.rebuilding_ || !next || !command_->mergeWith(*next->command_)) return false;
    setText(QString::fromStdString(command_->text()));
    // Typing that ends where it began is no step: the stack drops it.
    setObsolete(command_->changesNothing());
    return true;
  }

  const std::shared_ptr<Command>& command() const { return command_; }

 private:
  std::shared_ptr<Command> command_;
  const UndoHistory& history_;
};

UndoHistory::UndoHistory(QObject* parent, std::size_t budgetBytes)
    : QObject(parent), stack_(new QUndoStack(this)), budget_(budgetBytes) {
  connect(stack_, &QUndoStack::indexChanged, this, [this] {
    if (!pushing_ && !rebuilding_) emit tableRestored();
  });
}

UndoHistory::~UndoHistory() = default;

std::size_t UndoHistory::bytes() const {
  std::size_t total = 0;
  for (int i = 0; i < stack_->count(); ++i) {
    total += static_cast<const Step*>(stack_->command(i))->command()->memoryBytes();
  }
  return total;
}

bool UndoHistory::push(std::unique_ptr<Command> command) {
  // A step that would leave the table as it is is not kept (nor done).
  if (command->changesNothing()) return true;
  std::shared_ptr<Command> shared(std::move(command));
  pushing_ = true;
  const int before = stack_->count();
  auto* step = new Step(shared, *this);
  stack_->push(step);  // a step merged into the one before it is deleted here
  if (stack_->count() > before && shared->changesNothing()) {
    // Done, it turned out to change nothing (a refused name, say): the stack lets go of
    // an obsolete step when it is undone, which does nothing here.
    step->setObsolete(true);
    stack_->undo();
  }
  pushing_ = false;
  if (!shared->undoable()) {
    // Nothing before this step can be undone any more, and the saved state cannot be
    // reached: the table counts as changed until the next save.
    stack_->clear();
    stack_->resetClean();
    return false;
  }
  std::vector<std::size_t> sizes;
  for (int i = 0; i < stack_->count(); ++i) {
    sizes.push_back(static_cast<const Step*>(stack_->command(i))->command()->memoryBytes());
  }
  if (const std::size_t drop = commandsToDrop(sizes, budget_)) dropOldest(static_cast<int>(drop));
  return true;
}

void UndoHistory::dropOldest(int count) {
  // A push leaves the stack at its top, so only the clean state needs care: it stays
  // where it was unless it was among the dropped steps.
  const int total = stack_->count();
  const int clean = stack_->cleanIndex();
  std::vector<std::shared_ptr<Command>> kept;
  for (int i = count; i < total; ++i) {
    kept.push_back(static_cast<const Step*>(stack_->command(i))->command());
  }
  rebuilding_ = true;
  stack_->clear();
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (static_cast<int>(i) + count == clean) stack_->setClean();
    stack_->push(new Step(kept[i], *this));
  }
  if (clean == total) stack_->setClean();
  if (clean < count) stack_->resetClean();
  rebuilding_ = false;
}

}  // namespace zendra
