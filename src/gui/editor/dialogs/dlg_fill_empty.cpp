#include "gui/editor/dialogs/dlg_fill_empty.h"

#include "ui_dlg_fill_empty.h"

namespace zendra {
namespace {

constexpr const char* kSymbols[] = {".", "..", "-", "0"};

}  // namespace

dlgFillEmpty::dlgFillEmpty(bool dataMissing, bool invalidData, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgFillEmpty>()) {
  ui_->setupUi(this);
  ui_->Option1->setId(ui_->Option1_0, 0);
  ui_->Option1->setId(ui_->Option1_1, 1);
  ui_->Option1->setId(ui_->Option1_2, 2);
  ui_->Option1->setId(ui_->Option1_3, 3);
  ui_->Check1->setChecked(dataMissing);
  ui_->Check1->setEnabled(dataMissing);
  ui_->Check2->setChecked(false);
  ui_->Check2->setEnabled(invalidData);
  ui_->Option1_0->setChecked(true);
  connect(ui_->Option1, &QButtonGroup::idClicked, this, [this](int id) { Fill = kSymbols[id]; });
  connect(ui_->cmdOk, &QPushButton::clicked, this, &dlgFillEmpty::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgFillEmpty::reject);
}

dlgFillEmpty::~dlgFillEmpty() = default;

bool dlgFillEmpty::fillEmpty() const {
  return ui_->Check1->isChecked();
}

bool dlgFillEmpty::fillInvalid() const {
  return ui_->Check2->isChecked();
}

void dlgFillEmpty::accept() {
  RetCode = fillEmpty() || fillInvalid() ? 1 : 0;
  QDialog::accept();
}

void dlgFillEmpty::reject() {
  RetCode = 0;
  QDialog::reject();
}

}  // namespace zendra
