#include "gui/editor/dialogs/dlg_reorder_dimensions.h"

#include "gui/shared/gui_services.h"
#include "core/model/vexa_mess.h"
#include "ui_dlg_reorder_dimensions.h"

namespace zendra {

dlgReorderDimensions::dlgReorderDimensions(const VexaMess& doc, std::int32_t StubOrHead,
                                           QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgReorderDimensions>()) {
  ui_->setupUi(this);
  lists_.attach(ui_->List1, ui_->List2);
  lists_.connectButtons(ui_->cmdMoveTo, ui_->cmdMoveBack, nullptr, [this] { updateOk(); });
  connect(ui_->cmdOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  Load_data(doc, StubOrHead);
}

dlgReorderDimensions::~dlgReorderDimensions() = default;

void dlgReorderDimensions::Load_data(const VexaMess& doc, std::int32_t StubOrHead) {
  const DimensionDataColl& side = StubOrHead == 0 ? doc.colStub : doc.colHeading;
  names_.clear();
  QStringList entries;
  for (const DimensionRef& variable : side) {
    names_.push_back(variable->name);
    entries.push_back(qs(variable->name));
  }
  lists_.load(entries);
  order.clear();
  updateOk();
}

void dlgReorderDimensions::updateOk() {
  ui_->cmdOk->setEnabled(lists_.complete());
}

void dlgReorderDimensions::done(int result) {
  order.clear();
  // OK is only offered once every name has moved; Return must not take a partial order.
  if (result == Accepted && !lists_.complete()) return;
  if (result == Accepted) {
    for (const std::int32_t position : lists_.order()) order.push_back(names_[position - 1]);
  }
  QDialog::done(result);
}

}  // namespace zendra
