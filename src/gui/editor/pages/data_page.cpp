#include "gui/editor/pages/data_page.h"

#include "gui/editor/data_grid_view.h"
#include "core/format/completeness.h"
#include "gui/shared/app_context.h"
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
  // The steps keep the grid laid out and its cells' decimals in step with the table;
  // showing the page only shows it.
  const VexaMess& doc = editor_.document();
  const bool shown = StructureComplete(doc) && doc.GridCreated;
  if (shown) ui_->SprData->refresh();
  ui_->SprData->setVisible(shown);
  ui_->txtUncomplete->setVisible(!shown);
}

}  // namespace zendra
