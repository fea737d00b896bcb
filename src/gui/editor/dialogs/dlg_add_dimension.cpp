#include "gui/editor/dialogs/dlg_add_dimension.h"

#include <QShowEvent>

#include "gui/editor/dialogs/name_check.h"
#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "gui/shared/gui_services.h"
#include "core/model/numeric_text.h"
#include "ui_dlg_add_dimension.h"

namespace zendra {

dlgAddDimension::dlgAddDimension(const VexaMess& VQ, Prompt& prompt, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgAddDimension>()), VQ_(VQ), prompt_(prompt) {
  ui_->setupUi(this);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &dlgAddDimension::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgAddDimension::reject);
}

dlgAddDimension::~dlgAddDimension() = default;

void dlgAddDimension::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) clearResults();
  QDialog::showEvent(event);
}

void dlgAddDimension::clearResults() {
  RetCode = 0;
  name.clear();
  code.clear();
  value.clear();
}

void dlgAddDimension::accept() {
  clearResults();
  const std::string typedName = stdString(ui_->txtDimName->text());
  const std::string typedValue = stdString(ui_->txtValue->text());
  if (refuseVariableName(prompt_, VQ_, typedName)) {
    ui_->txtDimName->setFocus();
    return;
  }
  if (trimBlanks(typedValue).empty()) {
    prompt_.message("Value must be given", kProgramTitle, Prompt::Icon::Exclamation);
    ui_->txtValue->setFocus();
    return;
  }
  RetCode = 1;
  name = std::string(trimBlanks(typedName));
  code = stdString(ui_->txtCode->text());
  value = typedValue;
  QDialog::accept();
}

void dlgAddDimension::reject() {
  clearResults();
  QDialog::reject();
}

}  // namespace zendra
