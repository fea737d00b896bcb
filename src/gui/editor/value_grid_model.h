#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

#include "core/model/dimension_data.h"

namespace zendra {

// The value grid of one variable: a row per value and an empty last row for a new value,
// with the columns "Code" (for a variable with codes), "Value", and "TimeType" and "Time"
// for a time variable. It reads the variable's values as they are and never writes them:
// an edit goes to the edit handler, which changes the table through a step and then tells
// the model what changed.
class ValueGridModel : public QAbstractTableModel {
 public:
  enum class Column { Code, Value, TimeType, Time };
  // row is 0-based; row == values() is the empty last row.
  using EditHandler = std::function<void(int row, Column column, const QString& text)>;

  explicit ValueGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void setEditHandler(EditHandler handler) { edit_ = std::move(handler); }
  // Shows a variable (none: an empty grid), with its columns laid out anew.
  void setVariable(DimensionRef variable);
  const DimensionRef& variable() const { return variable_; }
  // The values changed in number, order or columns: everything is read again.
  void reload();
  // A value was appended: it takes the place of the empty row, and a new empty row follows.
  void valueAppended();
  // The value of a row changed.
  void rowChanged(int row);

  int values() const { return variable_ ? variable_->ValueCode.Count() : 0; }
  Column column(int section) const { return columns_[static_cast<std::size_t>(section)]; }
  // The column's section, or -1 when the grid does not show it.
  int section(Column column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void layColumns();

  DimensionRef variable_;
  std::vector<Column> columns_;
  EditHandler edit_;
};

}  // namespace zendra
