#include "settings/ui/dlg_options.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app_context.h"

namespace zendra {

dlgOptions::dlgOptions(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context), messageBoxes_(this) {
  setObjectName("dlgOptions");
  setWindowTitle("Options");

  auto* group = new QGroupBox("Default libraries (startup)", this);
  rows_ = new QGridLayout(group);
  rows_->setColumnStretch(1, 1);
  const VqVexaData& s = context_.settings;
  txtOpenVq_ =
      addRow("Open Vq-file", "txtOpenVq", "cmdOpenVq", s.OpenBase, &dlgOptions::browseOpenVq);
  txtSaveVq_ =
      addRow("Save Vq-file", "txtSaveVq", "cmdSaveVq", s.Savebase, &dlgOptions::browseSaveVq);
  txtOpenDb_ =
      addRow("Open Database", "txtOpenDb", "cmdOpenDb", s.VexaBase, &dlgOptions::browseOpenDb);
  txtAccesDb_ =
      addRow("MS Access DB", "txtAccesDb", "cmdAccesDb", s.MDBBase, &dlgOptions::browseAccesDb);
  txtDefaultData_ = addRow("Default data", "txtDefaultData", "cmdDefaultData", s.DefaultData,
                           &dlgOptions::browseDefaultData);

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("cmdCancel");
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(ok, QDialogButtonBox::AcceptRole);
  buttons->addButton(cancel, QDialogButtonBox::RejectRole);
  connect(ok, &QPushButton::clicked, this, &dlgOptions::confirm);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);
  setMinimumWidth(520);
}

QLineEdit* dlgOptions::addRow(const QString& label, const char* boxName, const char* buttonName,
                              const std::string& value, void (dlgOptions::*browse)()) {
  const int row = rows_->rowCount();
  auto* box = new QLineEdit(qs(value), this);
  box->setObjectName(boxName);
  auto* caption = new QLabel(label, this);
  caption->setBuddy(box);
  auto* button = new QPushButton("...", this);
  button->setObjectName(buttonName);
  button->setToolTip("Browse");
  button->setAutoDefault(false);
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(" ... ") + 16);
  connect(button, &QPushButton::clicked, this, browse);
  rows_->addWidget(caption, row, 0);
  rows_->addWidget(box, row, 1);
  rows_->addWidget(button, row, 2);
  return box;
}

FileChooser& dlgOptions::files() {
  return context_.files ? *context_.files : static_cast<FileChooser&>(desktopFiles_);
}

Prompt& dlgOptions::prompt() {
  return context_.prompt ? *context_.prompt : static_cast<Prompt&>(messageBoxes_);
}

void dlgOptions::browseFolder(QLineEdit* box, const QString& title) {
  const QString folder = files().chooseFolder(this, title, box->text());
  if (!folder.isEmpty()) box->setText(folder);
}

void dlgOptions::browseOpenVq() {
  browseFolder(txtOpenVq_, "Select folder for Open Vq-file");
}
void dlgOptions::browseSaveVq() {
  browseFolder(txtSaveVq_, "Select folder for Save Vq-file");
}
void dlgOptions::browseOpenDb() {
  browseFolder(txtOpenDb_, "Select folder for Vexa Database");
}
void dlgOptions::browseAccesDb() {
  browseFolder(txtAccesDb_, "Select folder for Microsoft Acces DB");
}

void dlgOptions::browseDefaultData() {
  FileChooser::Request request;
  request.title = "Select file containing default data";
  request.filter = qtFilter("Text-files|*.txt|All-files|*.*");
  request.mustExist = true;
  // The chooser starts where the current file lies.
  const QString current = txtDefaultData_->text();
  if (!current.isEmpty()) request.folder = QFileInfo(current).absolutePath();
  const QString file = files().openFile(this, request);
  if (!file.isEmpty()) txtDefaultData_->setText(file);
}

void dlgOptions::confirm() {
  VqVexaData& s = context_.settings;
  s.OpenBase = stdString(txtOpenVq_->text());
  s.Savebase = stdString(txtSaveVq_->text());
  s.VexaBase = stdString(txtOpenDb_->text());
  s.MDBBase = stdString(txtAccesDb_->text());

  const std::string defaultData = stdString(txtDefaultData_->text());
  if (defaultData != s.DefaultData) {
    s.DefaultData = defaultData;
    // A file that cannot be read is not kept in the settings (the load clears the
    // path); for any failure the user is told which file and why.
    if (!context_.defaultData.Load_data()) {
      prompt().message("ZENDRA003: No default data found\n" + context_.defaultData.error(),
                       "ZENDRA", Prompt::Icon::Exclamation);
    }
  }

  if (!s.save_ini()) {
    prompt().message("The settings could not be saved:\n" + s.error(), "ZENDRA",
                     Prompt::Icon::Exclamation);
  }

  // Read again even from the same folder: the list file may have changed meanwhile.
  context_.subjectAreas.SubjectFromDB = true;
  context_.subjectAreas.reload(s.VexaBase);
  accept();
}

}  // namespace zendra
