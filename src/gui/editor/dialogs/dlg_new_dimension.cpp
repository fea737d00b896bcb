#include "gui/editor/dialogs/dlg_new_dimension.h"

#include <QButtonGroup>
#include <QShowEvent>

#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "gui/shared/gui_services.h"
#include "core/model/numeric_text.h"
#include "ui_dlg_new_dimension.h"

namespace zendra {

namespace {

// The result code of each option, by its place in the dialog.
constexpr std::int16_t kCodeOf[] = {
    dlgNewDimension::kFromFile,        dlgNewDimension::kFromDatabase,
    dlgNewDimension::kFromDefaultData, dlgNewDimension::kNewByName,
    dlgNewDimension::kFromSourceTable, dlgNewDimension::kFromLastDatabase};
constexpr int kNewByNameOption = 3;

}  // namespace

dlgNewDimension::dlgNewDimension(const VexaMess& VQ, const Sources& sources, Prompt& prompt,
                                 QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::dlgNewDimension>()),
      options_(new QButtonGroup(this)),
      VQ_(VQ),
      sources_(sources),
      prompt_(prompt) {
  ui_->setupUi(this);
  options_->addButton(ui_->Option1_0, 0);
  options_->addButton(ui_->Option1_1, 1);
  options_->addButton(ui_->Option1_2, 2);
  options_->addButton(ui_->Option1_3, 3);
  options_->addButton(ui_->Option1_4, 4);
  options_->addButton(ui_->Option1_5, 5);
  connect(options_, &QButtonGroup::idToggled, this, [this](int option, bool checked) {
    if (checked) choose(option);
  });
  connect(ui_->Text1, &QLineEdit::textEdited, this, [this] { returncode = kNewByName; });
  connect(ui_->cmdOK, &QPushButton::clicked, this, &dlgNewDimension::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgNewDimension::reject);
  reset();
}

dlgNewDimension::~dlgNewDimension() = default;

void dlgNewDimension::showEvent(QShowEvent* event) {
  // Each use starts afresh; the window system showing the dialog again (after it was
  // minimised) is no new use and keeps the choice and the name being typed.
  if (!event->spontaneous()) reset();
  QDialog::showEvent(event);
}

void dlgNewDimension::reset() {
  returncode = kCancelled;
  name.clear();
  // An exclusive group keeps one option checked; it lets go of all only while not
  // exclusive.
  options_->setExclusive(false);
  for (QAbstractButton* option : options_->buttons()) option->setChecked(false);
  options_->setExclusive(true);
  ui_->Text1->clear();
  ui_->Text1->hide();
  ui_->Option1_2->setVisible(sources_.hasStandardVariables);
  ui_->Option1_4->setText("From " + qs(sources_.lastFileName));
  ui_->Option1_4->setVisible(!sources_.lastFileName.empty());
  ui_->Option1_5->setText("From " + qs(sources_.lastDatabaseName));
  ui_->Option1_5->setVisible(!sources_.lastDatabaseName.empty());
  ui_->cmdOK->setEnabled(false);
}

void dlgNewDimension::choose(int option) {
  // Choosing "Enter name of New" is itself the choice of a new name, so a source chosen
  // before it cannot stay in returncode while the name box shows.
  returncode = kCodeOf[option];
  ui_->Text1->setVisible(option == kNewByNameOption);
  if (option == kNewByNameOption) ui_->Text1->setFocus();
  ui_->cmdOK->setEnabled(true);
}

void dlgNewDimension::accept() {
  if (returncode == kCancelled) return;
  name.clear();
  if (returncode == kNewByName) {
    const std::string typed = stdString(ui_->Text1->text());
    const std::string problem = VariableNameProblem(VQ_, typed);
    if (problem == kNameMissing) {
      prompt_.message("You must give a name", kProgramTitle);
      return;
    }
    if (!problem.empty()) {
      prompt_.message(problem, kProgramTitle, Prompt::Icon::Critical);
      return;
    }
    name = std::string(trimBlanks(typed));
  }
  QDialog::accept();
}

void dlgNewDimension::reject() {
  returncode = kCancelled;
  name.clear();
  QDialog::reject();
}

}  // namespace zendra
