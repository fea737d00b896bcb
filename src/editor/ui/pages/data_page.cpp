#include "editor/ui/pages/data_page.h"

#include "editor/ui/data_grid_view.h"
#include "format/completeness.h"
#include "grid/data_methods.h"
#include "gui/app_context.h"
#include "ui_data_page.h"

namespace zendra {

DataPage::DataPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::DataPage>()) {
  ui_->setupUi(this);
  ui_->layout->setStretch(1, 1);  // the grid takes the page
  ui_->SprData->setGrid(&editor_.dataGrid(), &editor_.document());
}

DataPage::~DataPage() = default;

DataGridView* DataPage::grid() const {
  return ui_->SprData;
}

void DataPage::shown() {
  VexaMess& doc = editor_.document();
  CellGrid& cells = editor_.dataGrid();
  const bool complete = StructureComplete(doc);
  if (complete) {
    // Laying the grid out and showing the table's decimals are views of the table, not
    // changes to it.
    if (!doc.GridCreated) {
      CreateGrid(doc, cells, true, editor_.app().ShowCodes);
      ui_->SprData->refresh();
    }
    if (doc.GridHasData && doc.GridDecimals != doc.SaveDecimals) {
      SetCellDecimals(doc, cells);
      ui_->SprData->refresh();
    }
  }
  ui_->SprData->setVisible(complete);
  ui_->txtUncomplete->setVisible(!complete);
}

}  // namespace zendra
