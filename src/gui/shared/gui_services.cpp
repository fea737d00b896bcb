#include "gui/shared/gui_services.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace zendra {

WaitCursor::WaitCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}
WaitCursor::~WaitCursor() {
  QApplication::restoreOverrideCursor();
}

QString qtFilter(const QString& pipeFilter) {
  const QStringList parts = pipeFilter.split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    const QString label = parts[i].trimmed();
    // A label that shows its patterns already, "VEXA (*.vq)", keeps its form.
    out << (label.contains('(') ? label : label + " (" + patterns + ")");
  }
  return out.join(";;");
}

QString QtFileChooser::openFile(QWidget* parent, const Request& r) {
  QFileDialog dialog(parent, r.title, r.folder, r.filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!r.fileName.isEmpty()) dialog.selectFile(r.fileName);
  bool other = false;
  if (!r.otherChoice.isEmpty()) {
    // The desktop's own dialog takes no extra widgets: Qt's dialog then, with the button
    // on a row of its own under the file name and type.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* button = new QPushButton(r.otherChoice, &dialog);
    button->setObjectName("cmdOtherChoice");
    button->setAutoDefault(false);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      grid->addWidget(button, grid->rowCount(), 0, 1, 2, Qt::AlignLeft);
    } else if (dialog.layout()) {
      dialog.layout()->addWidget(button);
    }
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &other] {
      other = true;
      dialog.reject();
    });
  }
  const int result = dialog.exec();
  if (other) return r.otherAnswer;
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString QtFileChooser::saveFile(QWidget* parent, const Request& r) {
  QFileDialog dialog(parent, r.title, r.folder, r.filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.confirmOverwrite);
  if (!r.fileName.isEmpty()) dialog.selectFile(r.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString QtFileChooser::chooseFolder(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

Prompt::Answer QtPrompt::ask(std::string_view text, std::string_view title, Buttons buttons,
                             Icon icon) {
  QMessageBox box(parent_);
  box.setText(qs(text));
  box.setWindowTitle(qs(title));
  switch (icon) {
    case Icon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case Icon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case Icon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case Icon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case Icon::None:
      break;
  }
  switch (buttons) {
    case Buttons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case Buttons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    default:
      return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::Ok;
  }
}

int execDialog(QDialog& dialog) {
  return dialog.exec();
}

QAction* addMenuItem(QMenu* menu, const char* name, const char* text) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(name);
  return action;
}

}  // namespace zendra
