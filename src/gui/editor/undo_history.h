#pragma once

#include <QObject>
#include <functional>
#include <cstddef>
#include <memory>

#include "core/editor/command.h"
#include "core/editor/history.h"

class QUndoStack;

namespace zendra {

// One editor window's undo history: the table's commands on a QUndoStack, so that the
// frame's QUndoGroup, the Edit menus and "changed" (the stack not at its clean state)
// follow it. The commands kept are bounded in memory: past the budget the oldest go.
class UndoHistory : public QObject {
  Q_OBJECT

 public:
  // budgetBytes bounds what the kept commands hold.
  explicit UndoHistory(QObject* parent = nullptr, std::size_t budgetBytes = kHistoryBytes);
  ~UndoHistory() override;

  QUndoStack* stack() const { return stack_; }
  // Does the command and keeps it. Returns false when the command could not keep what
  // undo needs: its change is done, but every earlier step is dropped with it and the
  // table stays changed until it is saved.
  bool push(std::unique_ptr<Command> command);
  // Bytes the kept commands hold.
  std::size_t bytes() const;

  // Called just before an undo or redo changes the table (the window notes what it shows).
  std::function<void()> beforeRestore;

 signals:
  // An undo or redo changed the table (not a push: its caller knows what it did).
  void tableRestored();

 private:
  class Step;
  void dropOldest(int count);

  QUndoStack* stack_;
  std::size_t budget_;
  bool pushing_ = false;
  bool rebuilding_ = false;
};

}  // namespace zendra
