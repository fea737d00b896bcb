#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "gui/shared/gui_services.h"

class QLineEdit;

namespace Ui {
class dlgOptions;
}

namespace zendra {

struct AppContext;

// The folders and the default data file the program starts with. Opening shows the
// settings; OK takes the boxes as typed, reloads the default data when its file changed,
// saves the settings file and reloads the subject areas; Cancel changes nothing.
class dlgOptions : public QDialog {
  Q_OBJECT

 public:
  explicit dlgOptions(AppContext& context, QWidget* parent = nullptr);
  ~dlgOptions() override;

 private:
  void browseFolder(QLineEdit* box, const QString& title);
  void browseOpenVq();
  void browseSaveVq();
  void browseOpenDb();
  void browseAccesDb();
  void browseDefaultData();
  void confirm();

  FileChooser& files();
  Prompt& prompt();

  AppContext& context_;
  QtFileChooser desktopFiles_;  // when the context has no chooser
  QtPrompt messageBoxes_;       // when the context has no prompt
  std::unique_ptr<Ui::dlgOptions> ui_;
};

}  // namespace zendra
