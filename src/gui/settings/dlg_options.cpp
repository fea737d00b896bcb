#include "gui/settings/dlg_options.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "gui/shared/app_context.h"
#include "ui_dlg_options.h"

namespace zendra {

dlgOptions::dlgOptions(AppContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      messageBoxes_(this),
      ui_(std::make_unique<Ui::dlgOptions>()) {
  ui_->setupUi(this);
  const VqVexaData& s = context_.settings;
  struct Row {
    QLineEdit* box;
    QPushButton* button;
    const std::string& value;
    void (dlgOptions::*browse)();
  };
  for (const Row& row :
       {Row{ui_->txtOpenVq, ui_->cmdOpenVq, s.OpenBase, &dlgOptions::browseOpenVq},
        Row{ui_->txtSaveVq, ui_->cmdSaveVq, s.Savebase, &dlgOptions::browseSaveVq},
        Row{ui_->txtOpenDb, ui_->cmdOpenDb, s.VexaBase, &dlgOptions::browseOpenDb},
        Row{ui_->txtAccesDb, ui_->cmdAccesDb, s.MDBBase, &dlgOptions::browseAccesDb},
        // The file in use: the user's own, else the shipped one.
        Row{ui_->txtDefaultData, ui_->cmdDefaultData, s.defaultDataPath(),
            &dlgOptions::browseDefaultData}}) {
    row.box->setText(qs(row.value));
    connect(row.button, &QPushButton::clicked, this, row.browse);
  }
  connect(ui_->cmdOK, &QPushButton::clicked, this, &dlgOptions::confirm);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

dlgOptions::~dlgOptions() = default;

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
  browseFolder(ui_->txtOpenVq, "Select folder for Open Vq-file");
}
void dlgOptions::browseSaveVq() {
  browseFolder(ui_->txtSaveVq, "Select folder for Save Vq-file");
}
void dlgOptions::browseOpenDb() {
  browseFolder(ui_->txtOpenDb, "Select folder for Vexa Database");
}
void dlgOptions::browseAccesDb() {
  browseFolder(ui_->txtAccesDb, "Select folder for Microsoft Acces DB");
}

void dlgOptions::browseDefaultData() {
  FileChooser::Request request;
  request.title = "Select file containing default data";
  request.filter = qtFilter("Text-files|*.txt|All-files|*.*");
  request.mustExist = true;
  // The chooser starts where the current file lies.
  const QString current = ui_->txtDefaultData->text();
  if (!current.isEmpty()) request.folder = QFileInfo(current).absolutePath();
  const QString file = files().openFile(this, request);
  if (!file.isEmpty()) ui_->txtDefaultData->setText(file);
}

void dlgOptions::confirm() {
  VqVexaData& s = context_.settings;
  s.OpenBase = stdString(ui_->txtOpenVq->text());
  s.Savebase = stdString(ui_->txtSaveVq->text());
  s.VexaBase = stdString(ui_->txtOpenDb->text());
  s.MDBBase = stdString(ui_->txtAccesDb->text());

  const std::string defaultData = stdString(ui_->txtDefaultData->text());
  if (defaultData != s.defaultDataPath()) {
    // The shipped file named again, or no file, means the shipped default data: the
    // settings then keep no path, so they follow the program to wherever it is installed.
    s.DefaultData = context_.defaultData.isShippedFile(defaultData) ? std::string() : defaultData;
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
