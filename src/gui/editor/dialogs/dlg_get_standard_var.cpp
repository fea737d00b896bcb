#include "gui/editor/dialogs/dlg_get_standard_var.h"

#include <QStringList>

#include "gui/editor/dialogs/name_check.h"
#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "gui/shared/gui_services.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "ui_dlg_get_standard_var.h"

namespace zendra {

dlgGetStandardVar::dlgGetStandardVar(const DimensionDataColl& standard, const VexaMess& doc,
                                     Prompt& prompt, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgGetStandardVar>()), doc_(doc), prompt_(prompt) {
  ui_->setupUi(this);
  // A standard variable may hold thousands of values (municipalities, trades): rows of
  // one height spare the list measuring each of them.
  ui_->lstValues->setUniformItemSizes(true);
  QStringList names;
  for (const auto& v : standard) {
    variables_.push_back(v);
    names.push_back(qs(v->name));
  }
  ui_->lstVariables->addItems(names);

  connect(ui_->lstVariables, &QListWidget::itemSelectionChanged, this,
          &dlgGetStandardVar::showValues);
  connect(ui_->lstVariables, &QListWidget::itemActivated, this, &dlgGetStandardVar::accept);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &dlgGetStandardVar::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgGetStandardVar::reject);
  if (!variables_.empty()) ui_->lstVariables->setCurrentRow(0);
}

dlgGetStandardVar::~dlgGetStandardVar() = default;

int dlgGetStandardVar::selectedRow() const {
  const auto selected = ui_->lstVariables->selectedItems();
  return selected.isEmpty() ? -1 : ui_->lstVariables->row(selected.front());
}

// Each value as its text; a variable with codes shows the code and two blanks before it.
void dlgGetStandardVar::showValues() {
  ui_->lstValues->clear();
  const int row = selectedRow();
  if (row < 0) return;
  const DimensionData& variable = *variables_[static_cast<std::size_t>(row)];
  QStringList lines;
  lines.reserve(variable.ValueCode.Count());
  for (const auto& value : variable.ValueCode) {
    lines.push_back(variable.UseCodes ? qs(value->code) + "  " + qs(value->value)
                                      : qs(value->value));
  }
  ui_->lstValues->addItems(lines);
}

void dlgGetStandardVar::accept() {
  const int row = selectedRow();
  if (row < 0) {
    prompt_.message("Select one variable", kProgramTitle);
    return;
  }
  const auto& chosen = variables_[static_cast<std::size_t>(row)];
  // A variable doc already has (taken from the default data before, say) is refused
  // here, where the user can still choose another.
  if (refuseVariableName(prompt_, doc_, chosen->name)) return;
  Dimdata = chosen;
  QDialog::accept();
}

void dlgGetStandardVar::reject() {
  Dimdata.reset();
  QDialog::reject();
}

}  // namespace zendra
