#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "core/model/vexa_mess.h"

namespace Ui {
class dlgAddDimension;
}

namespace zendra {

class Prompt;

// Asks for a one-valued variable to add to a table that already holds data: its name
// and the code and text of its one value. The dialog only asks; the caller adds it.
//
// OK closes only for a name the document does not use yet and a value that is not
// blank; RetCode is then 1 and name, code and value hold what was typed (the name
// without surrounding blanks). Each showing starts with RetCode 0 and the results empty,
// and Cancel leaves them so.
class dlgAddDimension : public QDialog {
  Q_OBJECT

 public:
  dlgAddDimension(const VexaMess& VQ, Prompt& prompt, QWidget* parent = nullptr);
  ~dlgAddDimension() override;

  int RetCode = 0;
  std::string name;
  std::string code;
  std::string value;

  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void clearResults();

  std::unique_ptr<Ui::dlgAddDimension> ui_;
  const VexaMess& VQ_;
  Prompt& prompt_;
};

}  // namespace zendra
