#pragma once

#include <QAbstractItemView>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/grid/cell_grid.h"

class QModelIndex;
class QTableView;

namespace zendra {

class VexaMess;
class Command;
class CellDelegate;
class GridModel;
class GridTableView;

// The spreadsheet widget that shows and edits a CellGrid: the editor's data grid
// ("SprData") and the work sheet ("sprWork"); the owner sets the object name.
//
// The cells stay in the grid; a GridModel hands them to the views. The grid's frozen
// label rows and columns stay in place while the rest scrolls: three overlay views
// (top rows, left columns, their corner) lie over the main view and follow its
// scrolling. No row or column headers are shown; the labels are cells of the grid.
//
// With a document, an edit of a data cell and the Delete key become commands handed to
// the command sink (the window's undo history), which run the table's conversion (a
// number typed becomes a number cell) and keep the keys form's empty entry row. Without
// one (a free work sheet) the typed texts are stored as they are.
class DataGridView : public QWidget {
  Q_OBJECT

 public:
  explicit DataGridView(QWidget* parent = nullptr);
  ~DataGridView() override;

  // Shows a grid (neither is owned; doc may be nullptr for a free work sheet).
  void setGrid(zendra::CellGrid* grid, zendra::VexaMess* doc);
  // Where the edits of a table's cells go: each is done by the sink.
  using CommandSink = std::function<void(std::unique_ptr<Command>)>;
  void setCommandSink(CommandSink sink);
  zendra::CellGrid* grid() const;
  // The grid changed outside: resets the model, the frozen panes, the column widths and
  // the current cell from the grid. An editor still open is dropped without storing
  // its text; call commitEdit() first to keep it.
  void refresh();
  // Ends edit mode now, storing the typed text and running the conversion.
  void commitEdit();
  bool isEditing() const;
  QTableView* mainView() const;
  // Keeps the grid in edit mode: an editor is open on the current cell, and moving to
  // another cell opens one there (the work sheet).
  void setAlwaysEditing(bool on);
  // Opens an editor on the current cell unless one is open.
  void openEditorOnCurrent();
  // What Copy and Paste work on: the selected block (-1 bounds for whole rows or
  // columns), or the current cell when no block is selected.
  Block selectedBlock();
  // The grid's own paste, for a free work sheet: a clipboard text written as it is from
  // the current cell on, as far as the grid reaches.
  void pasteText(const std::string& text);

 signals:
  // After an edit of a cell ended, whether or not its text changed (1-based).
  void cellEdited(int row, int col);

 private:
  friend class CellDelegate;
  friend class GridTableView;

  enum class Pane { Main, Top, Left, Corner };
  enum class Step { Enter, Right, Left };

  GridTableView* pane(Pane which) const { return views_[static_cast<std::size_t>(which)]; }
  // The overlay that shows a frozen cell, or nullptr for a cell of the scrolling part.
  GridTableView* overlayFor(const QModelIndex& index) const;
  bool isFrozen(const QModelIndex& index) const { return overlayFor(index) != nullptr; }
  int frozenRows() const;
  int frozenCols() const;

  void rebuild();
  void spanTitle();
  void applySizes();
  void placeOverlays();
  void followScrolling();
  void showCurrentFromGrid();

  // Editing steps the delegates and views report.
  void storeEdit(const QModelIndex& index, const QString& text);
  void editStarted(const QModelIndex& index);
  void editEnded(const QModelIndex& index);
  void step(Step how);
  void deleteKey();
  void selectionToGrid();
  void currentToGrid(const QModelIndex& current);

  CellGrid* grid_ = nullptr;
  VexaMess* doc_ = nullptr;
  CommandSink sink_;
  bool alwaysEditing_ = false;
  GridModel* model_ = nullptr;
  std::array<GridTableView*, 4> views_{};
  std::array<CellDelegate*, 4> delegates_{};
};

}  // namespace zendra
