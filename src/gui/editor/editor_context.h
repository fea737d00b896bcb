#pragma once

#include <memory>

#include "core/format/writer.h"

class QMenu;

namespace zendra {

struct AppContext;
class CellGrid;
class Command;
class VexaMess;

// What the pages of an editor window reach through the window: the table, its data
// grid, the program's shared objects, and the one way to change the table (a command on
// the window's undo history).
class EditorContext {
 public:
  virtual ~EditorContext() = default;
  virtual VexaMess& document() = 0;
  virtual CellGrid& dataGrid() = 0;
  virtual AppContext& app() = 0;
  // Does the command and keeps it for undo.
  virtual void push(std::unique_ptr<Command> command) = 0;
  // How the table is written now: code page and the default data's title words.
  virtual WriteOptions writeOptions() const = 0;
  // Stores a cell of the data grid still being typed, so that a step sees it.
  virtual void commitEdit() = 0;
  // The data grid's cells changed outside its view (a check painted them).
  virtual void refreshDataGrid() = 0;
  // Sorts the keys form's rows, as the completeness test does, as a step of the history
  // (so that the steps before it still find their cells); an unchanged table stays
  // unchanged.
  virtual void sortKeysRows() = 0;
  // The window's "&Edit" menu, which grids of the pages open on a right click.
  virtual QMenu* editMenu() const = 0;
};

}  // namespace zendra
