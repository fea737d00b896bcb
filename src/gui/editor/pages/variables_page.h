#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gui/editor/pages/editor_page.h"
#include "gui/editor/value_grid_model.h"
#include "core/model/dimension_data.h"
#include "core/model/value_and_code.h"

class QTableView;
class QTreeWidgetItem;

namespace Ui {
class VariablesPage;
}

namespace zendra {

// "V&ariables": the variable tree, the value grid of the chosen variable and its
// properties (codes and values, prestext, elimination, domain, map, time values,
// partitioning, the precision of the current value), with Rename, Reorder values and
// Delete value. Choosing a variable or a value writes nothing; every edit is one step.
class VariablesPage : public EditorPage {
 public:
  VariablesPage(EditorContext& editor, QWidget* parent);
  ~VariablesPage() override;

  // Refills the tree and keeps the variable (and value) shown before while it is still
  // in the table.
  void load() override;

  // The clipboard commands of the value grid (sprValues): the selected rows (or the
  // current cell) as a block, and a block pasted from the current cell as one step.
  QTableView* valueGrid() const;
  QString copyValues() const;
  void pasteValues(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void bindControls();
  void bindValueGrid();
  // A node chosen in the tree: a variable shows its properties, a group hides them.
  void chooseNode(QTreeWidgetItem* node);
  // Fills every property control from the current variable, writing nothing.
  void showVariable();
  void showCodeVal();
  void fillElimination();
  void showPartitioned();
  // The current value's precision controls.
  void showPrecision();
  // The value grid's cursor row: its value becomes the current value.
  void setCurrentRow(int row);

  // One step setting a field of the current variable; nothing when it already holds to.
  template <typename T>
  void setField(T DimensionData::*field, T to, const char* name, std::uint64_t session = 0);
  void chooseCodeVal(int index);
  void setPrecision(const std::string& precision);
  void editValue(int row, ValueGridModel::Column column, const QString& text);
  void deleteValues();
  void renameVariable();
  void reorderValues();

  std::unique_ptr<Ui::VariablesPage> ui_;
  ValueGridModel* values_;
  DimensionRef variable_;  // the variable shown; none while a group is chosen
  ValueRef value_;         // the value of the grid's cursor row; none on the empty row
};

}  // namespace zendra
