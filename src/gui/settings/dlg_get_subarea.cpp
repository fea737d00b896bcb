#include "gui/settings/dlg_get_subarea.h"

#include <QStringList>

#include "gui/shared/gui_services.h"
#include "ui_dlg_get_subarea.h"

namespace zendra {

dlgGetSubarea::dlgGetSubarea(const std::vector<SubjArea>& areas, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgGetSubarea>()), areas_(areas) {
  ui_->setupUi(this);
  // One call fills the list, and rows of one height spare the list measuring each row:
  // a library of thousands of areas opens at once.
  ui_->lstSubAreas->setUniformItemSizes(true);
  QStringList entries;
  entries.reserve(static_cast<qsizetype>(areas.size()));
  for (const SubjArea& area : areas) entries.push_back(qs(area.code) + ' ' + qs(area.name));
  ui_->lstSubAreas->addItems(entries);

  // Only an area the user selected is chosen: the row the list makes current when it
  // takes the focus is not a choice.
  connect(ui_->lstSubAreas, &QListWidget::itemSelectionChanged, this, [this] {
    const auto selected = ui_->lstSubAreas->selectedItems();
    choose(selected.isEmpty() ? -1 : ui_->lstSubAreas->row(selected.front()));
  });
  connect(ui_->lstSubAreas, &QListWidget::itemActivated, this, &QDialog::accept);
  connect(ui_->cmdOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgGetSubarea::reject);
}

dlgGetSubarea::~dlgGetSubarea() = default;

void dlgGetSubarea::choose(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= areas_.size()) {
    subtext.clear();
    subcode.clear();
    return;
  }
  subtext = areas_[static_cast<std::size_t>(row)].name;
  subcode = areas_[static_cast<std::size_t>(row)].code;
}

void dlgGetSubarea::reject() {
  subtext.clear();
  subcode.clear();
  QDialog::reject();
}

}  // namespace zendra
