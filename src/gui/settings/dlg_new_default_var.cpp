#include "gui/settings/dlg_new_default_var.h"

#include "core/format/reader.h"
#include "gui/shared/gui_services.h"
#include "core/model/numeric_text.h"
#include "core/settings/default_data.h"
#include "ui_dlg_new_default_var.h"

namespace zendra {

dlgNewDefaultVar::dlgNewDefaultVar(const DefaultData& data, Prompt& prompt, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgNewDefaultVar>()), data_(data), prompt_(prompt) {
  ui_->setupUi(this);
  connect(ui_->cmdOk, &QPushButton::clicked, this, &dlgNewDefaultVar::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgNewDefaultVar::reject);
}

dlgNewDefaultVar::~dlgNewDefaultVar() = default;

void dlgNewDefaultVar::accept() {
  const std::string typed = stdString(ui_->txtNewVar->text());
  const std::string problem = data_.NewVariableProblem(typed);
  if (!problem.empty()) {
    prompt_.message(problem, kProgramTitle, Prompt::Icon::Critical);
    ui_->txtNewVar->setFocus();
    ui_->txtNewVar->selectAll();
    return;
  }
  name = std::string(trimBlanks(typed));
  QDialog::accept();
}

void dlgNewDefaultVar::reject() {
  ui_->txtNewVar->clear();
  name.clear();
  QDialog::reject();
}

}  // namespace zendra
