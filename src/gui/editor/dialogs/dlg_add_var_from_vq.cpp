#include "gui/editor/dialogs/dlg_add_var_from_vq.h"

#include <QStringList>

#include "gui/editor/dialogs/name_check.h"
#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "gui/shared/gui_services.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "ui_dlg_add_var_from_vq.h"

namespace zendra {

dlgAddVarFromVq::dlgAddVarFromVq(const DimensionDataColl& variables, const VexaMess& doc,
                                 Prompt& prompt, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgAddVarFromVq>()), doc_(doc), prompt_(prompt) {
  ui_->setupUi(this);
  QStringList names;
  for (const auto& v : variables) {
    variables_.push_back(v);
    names.push_back(qs(v->name));
  }
  ui_->lstVariables->addItems(names);

  connect(ui_->lstVariables, &QListWidget::itemActivated, this, &dlgAddVarFromVq::accept);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &dlgAddVarFromVq::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgAddVarFromVq::reject);
}

dlgAddVarFromVq::~dlgAddVarFromVq() = default;

void dlgAddVarFromVq::accept() {
  // Only a row the user selected is a choice, not the row the list makes current when
  // it takes the focus.
  const auto selected = ui_->lstVariables->selectedItems();
  if (selected.isEmpty()) {
    prompt_.message("Select one variable", kProgramTitle);
    return;
  }
  const auto& chosen =
      variables_[static_cast<std::size_t>(ui_->lstVariables->row(selected.front()))];
  // A variable doc cannot take is refused here, where the user can still choose another.
  if (refuseVariableName(prompt_, doc_, chosen->name)) return;
  Dimdata = chosen;
  QDialog::accept();
}

void dlgAddVarFromVq::reject() {
  Dimdata.reset();
  QDialog::reject();
}

}  // namespace zendra
