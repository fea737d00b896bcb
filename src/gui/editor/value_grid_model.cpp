#include "gui/editor/value_grid_model.h"

#include <algorithm>
#include <string>

#include "core/model/value_and_code.h"

namespace zendra {
namespace {

const std::string& fieldOf(const ValueAndCode& value, ValueGridModel::Column column) {
  switch (column) {
    case ValueGridModel::Column::Code:
      return value.code;
    case ValueGridModel::Column::Value:
      return value.value;
    case ValueGridModel::Column::TimeType:
      return value.TimeCode;
    case ValueGridModel::Column::Time:
      break;
  }
  return value.TimeVal;
}

const char* captionOf(ValueGridModel::Column column) {
  switch (column) {
    case ValueGridModel::Column::Code:
      return "Code";
    case ValueGridModel::Column::Value:
      return "Value";
    case ValueGridModel::Column::TimeType:
      return "TimeType";
    case ValueGridModel::Column::Time:
      break;
  }
  return "Time";
}

}  // namespace

void ValueGridModel::layColumns() {
  columns_.clear();
  if (!variable_) return;
  if (variable_->UseCodes) columns_.push_back(Column::Code);
  columns_.push_back(Column::Value);
  if (variable_->UseTimeVal) {
    columns_.push_back(Column::TimeType);
    columns_.push_back(Column::Time);
  }
}

void ValueGridModel::setVariable(DimensionRef variable) {
  beginResetModel();
  variable_ = std::move(variable);
  layColumns();
  endResetModel();
}

void ValueGridModel::reload() {
  beginResetModel();
  layColumns();
  endResetModel();
}

void ValueGridModel::valueAppended() {
  // The variable already holds the new value; the view learns of the row after it.
  const int last = values();
  beginInsertRows({}, last, last);
  endInsertRows();
  rowChanged(last - 1);
}

void ValueGridModel::rowChanged(int row) {
  if (row < 0 || columns_.empty()) return;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  emit headerDataChanged(Qt::Vertical, row, row);
}

int ValueGridModel::section(Column column) const {
  const auto at = std::find(columns_.begin(), columns_.end(), column);
  return at == columns_.end() ? -1 : static_cast<int>(at - columns_.begin());
}

int ValueGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !variable_ ? 0 : values() + 1;
}

int ValueGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ValueGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  if (index.row() >= values()) return QString();
  const ValueRef value = variable_->ValueCode.Item(index.row() + 1);
  return QString::fromStdString(fieldOf(*value, column(index.column())));
}

bool ValueGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !edit_) return false;
  const QString text = value.toString();
  // Leaving the empty row as it was adds no value.
  if (index.row() >= values() && text.isEmpty()) return false;
  edit_(index.row(), column(index.column()), text);
  return true;
}

QVariant ValueGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section < values() ? QVariant(section + 1) : "*";
  if (section < 0 || section >= columnCount()) return {};
  return QString(captionOf(column(section)));
}

Qt::ItemFlags ValueGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

}  // namespace zendra
