#pragma once

#include <QString>
#include <functional>

#include "core/model/prompt.h"

class QAction;
class QDialog;
class QMenu;
class QWidget;

namespace zendra {

// File and folder choosers. The program uses the desktop's dialogs; the tests answer
// from a script. Every method returns an empty text when the user cancels.
class FileChooser {
 public:
  struct Request {
    QString title;
    QString folder;                // initial folder
    QString fileName;              // initial file name
    QString filter;                // in the "Text (*.txt);;All (*)" form
    bool mustExist = false;        // open: the file must exist
    bool confirmOverwrite = true;  // save: ask before replacing a file
    // open: a choice beside the files, shown as a button in the dialog; choosing it closes
    // the dialog and openFile returns otherAnswer instead of a file name.
    QString otherChoice;
    QString otherAnswer;
  };
  virtual ~FileChooser() = default;
  virtual QString openFile(QWidget* parent, const Request& request) = 0;
  virtual QString saveFile(QWidget* parent, const Request& request) = 0;
  virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
};

class QtFileChooser : public FileChooser {
 public:
  QString openFile(QWidget* parent, const Request& request) override;
  QString saveFile(QWidget* parent, const Request& request) override;
  QString chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
};

// Questions and messages as message boxes, progress in the progress window when one is
// attached. Every text is shown as the core gives it.
class QtPrompt : public Prompt {
 public:
  explicit QtPrompt(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override;

 private:
  QWidget* parent_;
};

// Runs a modal dialog and returns its result. The program calls exec(); the tests
// replace the runner to press the dialog's buttons.
using DialogRunner = std::function<int(QDialog&)>;
int execDialog(QDialog& dialog);

// Converts a filter of the "Vq-files|*.vq|All|*.*" form into the Qt form.
QString qtFilter(const QString& pipeFilter);

// Adds an item to a menu under its control name.
QAction* addMenuItem(QMenu* menu, const char* name, const char* text);

// The wait cursor for as long as the object lives, also when the work ends early.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

inline QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string stdString(const QString& text) {
  return text.toUtf8().toStdString();
}

}  // namespace zendra
