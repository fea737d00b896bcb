#include "gui/editor/dialogs/dlg_rename_dim.h"

#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "gui/shared/gui_services.h"
#include "core/model/numeric_text.h"
#include "core/model/vexa_mess.h"
#include "ui_dlg_rename_dim.h"

namespace zendra {

dlgRenameDim::dlgRenameDim(const VexaMess& doc, std::string currentName, Prompt& prompt,
                           QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::dlgRenameDim>()),
      doc_(doc),
      currentName_(std::move(currentName)),
      prompt_(prompt) {
  ui_->setupUi(this);
  ui_->Text1->setText(qs(currentName_));
  ui_->Text1->selectAll();
  connect(ui_->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->Command2, &QPushButton::clicked, this, &QDialog::reject);
}

dlgRenameDim::~dlgRenameDim() = default;

std::string dlgRenameDim::problem(const std::string& typed) const {
  // Keeping the name as it is renames nothing; it is refused as the name in use.
  if (!typed.empty() && typed == trimBlanks(currentName_)) return kNameInUse;
  return VariableNameProblem(doc_, typed, doc_.Get_Dimension(currentName_).get());
}

void dlgRenameDim::done(int result) {
  returncode = -1;
  name.clear();
  if (result == Accepted) {
    const std::string typed(trimBlanks(stdString(ui_->Text1->text())));
    const std::string why = problem(typed);
    if (!why.empty()) {
      prompt_.message(why, kProgramTitle,
                      why == kNameInUse ? Prompt::Icon::Critical : Prompt::Icon::Exclamation);
      ui_->Text1->setFocus();
      return;
    }
    returncode = 0;
    name = typed;
  }
  QDialog::done(result);
}

}  // namespace zendra
