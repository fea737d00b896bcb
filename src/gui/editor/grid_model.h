#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include "core/grid/cell_grid.h"

namespace zendra {

class VexaMess;

// Shows a CellGrid to Qt's item views without copying a cell: every role is read from
// the grid when a view asks for it, so only the cells on screen are ever formatted.
// Qt's rows and columns count from 0, the grid's from 1.
//
// The model keeps the row and column counts it last reported, so a grid changed behind
// its back stays consistent for the views until reset() (or growToGrid()) tells them.
class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GridModel(QObject* parent = nullptr);

  // Shows another grid (or none) and resets the views.
  void setGrid(CellGrid* grid);
  // The table whose data cells the grid holds (none for a free sheet): a data cell holding
  // a text that is neither a number nor a symbol shows the invalid colours and says why.
  void setDocument(const VexaMess* doc) { doc_ = doc; }
  CellGrid* grid() const { return grid_; }

  // The grid changed outside the model (layout, load, sort, rows or columns inserted):
  // the views forget everything they knew about it.
  void reset();
  // Rows or columns the grid gained at its end since the last report, told to the views
  // as insertions so that an open editor and the selection survive. A grid that shrank
  // is reset instead.
  void growToGrid();
  // The content or format of a block changed (1-based; -1 bounds mean a whole row or
  // column as in CellGrid's selection).
  void cellsChanged(const Block& block);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // EditRole stores the text as typed (an empty text empties the cell).
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  bool invalidText(std::int32_t row, std::int32_t col) const;

  CellGrid* grid_ = nullptr;
  const VexaMess* doc_ = nullptr;
  int rows_ = 0;
  int cols_ = 0;
};

// A 0x00BBGGRR grid colour as a Qt colour.
QColor toQColor(Colour colour);

}  // namespace zendra
