#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "core/import/text_import.h"
#include "core/model/vexa_mess.h"

namespace Ui {
class dlgCSVLoad;
}

namespace zendra {

// "Import data from textfile": shows a sample of the file with the guessed separator,
// text delimiter and decimal point, lets the user correct them, and on OK hands the
// settings to load (which the editor window gives: it runs the import as a step of its
// history), then shows the log in place of the settings. The dialog never changes the
// document. Cancel closes it without loading; after a load, OK (cmdClose) closes it.
class dlgCSVLoad : public QDialog {
  Q_OBJECT

 public:
  // bytes: the file; doc: the table the import will go into (read only); localeDecimal:
  // the user's decimal separator.
  dlgCSVLoad(const std::string& bytes, const VexaMess& doc, const QString& localeDecimal,
             QWidget* parent = nullptr);
  ~dlgCSVLoad() override;

  // The import: the settings in, the log out.
  std::function<TextImportResult(const TextImportSettings&)> load;

  TextImportSettings settings() const;
  // Shows the log of an import that already ran (the import wizard's), in place of the
  // settings.
  void showLog(const TextImportResult& result);
  bool loaded() const { return loaded_; }

 private:
  void onOk();

  std::unique_ptr<Ui::dlgCSVLoad> ui_;
  std::string localeDecimal_;
  bool loaded_ = false;
};

}  // namespace zendra
