#include "gui/editor/pages/work_sheet_page.h"

#include <QMenu>
#include <QTableView>

#include "gui/editor/data_grid_view.h"
#include "ui_work_sheet_page.h"

namespace zendra {

WorkSheetPage::WorkSheetPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::WorkSheetPage>()) {
  ui_->setupUi(this);
  ui_->sprWork->setGrid(&cells_, nullptr);
}

WorkSheetPage::~WorkSheetPage() = default;

DataGridView* WorkSheetPage::grid() const {
  return ui_->sprWork;
}

void WorkSheetPage::shown() {
  ui_->sprWork->setAlwaysEditing(true);
}

void WorkSheetPage::setContextMenu(QMenu* menu) {
  QTableView* view = ui_->sprWork->mainView();
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this,
          [menu, view](const QPoint& at) { menu->popup(view->viewport()->mapToGlobal(at)); });
}

}  // namespace zendra
