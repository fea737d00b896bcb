#include "gui/shared/dlg_new_value_order.h"

#include "gui/shared/gui_services.h"
#include "core/model/dimension_data.h"
#include "ui_dlg_new_value_order.h"

namespace zendra {

dlgNewValueOrder::dlgNewValueOrder(const DimensionData& variable, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgNewValueOrder>()) {
  ui_->setupUi(this);
  lists_.attach(ui_->List1, ui_->List2);
  lists_.connectButtons(ui_->cmdMoveTo, ui_->cmdMoveBack, ui_->cmdMoveRest, [this] { updateOk(); });
  for (QListWidget* list : {ui_->List1, ui_->List2}) {
    connect(list, &QListWidget::itemDoubleClicked, this, [this, list](QListWidgetItem* item) {
      lists_.moveRow(list, list->row(item));
      updateOk();
    });
  }
  connect(ui_->cmdOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  Load_data(variable);
}

dlgNewValueOrder::~dlgNewValueOrder() = default;

void dlgNewValueOrder::Load_data(const DimensionData& variable) {
  QStringList entries;
  entries.reserve(variable.ValueCode.Count());
  for (const ValueRef& value : variable.ValueCode)
    entries.push_back(qs(value->code) + "  " + qs(value->value));
  lists_.load(entries);
  order.clear();
  updateOk();
}

void dlgNewValueOrder::updateOk() {
  ui_->cmdOk->setEnabled(lists_.complete());
}

void dlgNewValueOrder::done(int result) {
  order.clear();
  // OK is only offered once every value has moved; Return must not take a partial order.
  if (result == Accepted && !lists_.complete()) return;
  if (result == Accepted) order = lists_.order();
  QDialog::done(result);
}

}  // namespace zendra
