#include "gui/editor/grid_model.h"

#include <QBrush>
#include <algorithm>
#include <string>

#include "core/format/data_builder.h"
#include "core/model/vexa_mess.h"

namespace zendra {
namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

Qt::Alignment alignmentOf(const CellGrid& grid, std::int32_t row, std::int32_t col) {
  switch (grid.alignment(row, col)) {
    case HAlign::Left:
      return Qt::AlignLeft | Qt::AlignVCenter;
    case HAlign::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case HAlign::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case HAlign::General:
      break;
  }
  // General: numbers to the right, texts to the left.
  return (grid.kind(row, col) == CellKind::Number ? Qt::AlignRight : Qt::AlignLeft) |
         Qt::AlignVCenter;
}

}  // namespace

QColor toQColor(Colour colour) {
  const auto c = static_cast<std::uint32_t>(colour);
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::setGrid(CellGrid* grid) {
  grid_ = grid;
  reset();
}

void GridModel::reset() {
  beginResetModel();
  rows_ = grid_ ? grid_->rowCount() : 0;
  cols_ = grid_ ? grid_->colCount() : 0;
  endResetModel();
}

void GridModel::growToGrid() {
  const int rows = grid_ ? grid_->rowCount() : 0;
  const int cols = grid_ ? grid_->colCount() : 0;
  if (rows < rows_ || cols < cols_) {
    reset();
    return;
  }
  if (rows > rows_) {
    beginInsertRows(QModelIndex(), rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  if (cols > cols_) {
    beginInsertColumns(QModelIndex(), cols_, cols - 1);
    cols_ = cols;
    endInsertColumns();
  }
}

void GridModel::cellsChanged(const Block& block) {
  if (rows_ == 0 || cols_ == 0) return;
  const bool wholeCols = block.row1 == -1 || block.row2 == -1;
  const bool wholeRows = block.col1 == -1 || block.col2 == -1;
  const int r1 = wholeCols ? 0 : std::max(block.row1 - 1, 0);
  const int r2 = wholeCols ? rows_ - 1 : std::min(block.row2 - 1, rows_ - 1);
  const int c1 = wholeRows ? 0 : std::max(block.col1 - 1, 0);
  const int c2 = wholeRows ? cols_ - 1 : std::min(block.col2 - 1, cols_ - 1);
  if (r1 > r2 || c1 > c2) return;
  emit dataChanged(index(r1, c1), index(r2, c2));
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!grid_ || !index.isValid()) return {};
  const std::int32_t row = index.row() + 1;
  const std::int32_t col = index.column() + 1;
  // The title cell shows the table's title as it is now (a new title or description
  // shows at once), and the whole of it as a tool tip.
  if (row == 1 && col == 1 && doc_ && doc_->GridCreated &&
      (role == Qt::DisplayRole || role == Qt::ToolTipRole)) {
    return fromUtf8(doc_->Description.empty() ? doc_->Title : doc_->Description);
  }
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      switch (grid_->kind(row, col)) {
        case CellKind::Text:
          return fromUtf8(grid_->storedText(row, col));
        case CellKind::Number:
          return fromUtf8(grid_->text(row, col));
        case CellKind::Empty:
          return role == Qt::EditRole ? QVariant(QString()) : QVariant();
      }
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(alignmentOf(*grid_, row, col));
    case Qt::BackgroundRole:
      if (invalidText(row, col)) return QBrush(toQColor(kRed));
      if (const auto back = grid_->backColour(row, col)) return QBrush(toQColor(*back));
      return {};
    case Qt::ForegroundRole:
      if (invalidText(row, col)) return QBrush(toQColor(kYellow));
      if (const auto fore = grid_->foreColour(row, col)) return QBrush(toQColor(*fore));
      return {};
    case Qt::ToolTipRole:
      if (invalidText(row, col)) {
        return QString("Not a number nor one of the symbols . .. ... .... ..... ...... -: the "
                       "table is not complete with this cell");
      }
      return {};
    default:
      return {};
  }
}

bool GridModel::invalidText(std::int32_t row, std::int32_t col) const {
  return doc_ && doc_->GridCreated && row >= doc_->DataRow1 && col >= doc_->DataCol1 &&
         GetDataMod::InvalidCellText(*grid_, row, col);
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!grid_ || !index.isValid() || role != Qt::EditRole) return false;
  const std::int32_t row = index.row() + 1;
  const std::int32_t col = index.column() + 1;
  if (!grid_->contains(row, col)) return false;
  grid_->setText(row, col, value.toString().toStdString());
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!grid_ || !index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags out = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (grid_->editable(index.row() + 1, index.column() + 1)) out |= Qt::ItemIsEditable;
  return out;
}

}  // namespace zendra
