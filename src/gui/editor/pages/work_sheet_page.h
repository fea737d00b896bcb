#pragma once

#include <memory>

#include "gui/editor/pages/editor_page.h"
#include "core/grid/cell_grid.h"

class QMenu;

namespace Ui {
class WorkSheetPage;
}

namespace zendra {

class DataGridView;

// "&Work sheet": a free scratch grid with no link to the table. Nothing typed there
// reaches the document, so its edits are not commands.
class WorkSheetPage : public EditorPage {
 public:
  WorkSheetPage(EditorContext& editor, QWidget* parent);
  ~WorkSheetPage() override;

  // The grid stays in edit mode while the page is shown.
  void shown() override;
  // A right click on the sheet opens this menu there (the editor's Edit menu).
  void setContextMenu(QMenu* menu);
  DataGridView* grid() const;

 private:
  std::unique_ptr<Ui::WorkSheetPage> ui_;
  CellGrid cells_{200, 26};
};

}  // namespace zendra
