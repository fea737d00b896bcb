#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class dlgNewDefaultVar;
}

namespace zendra {

class DefaultData;
class Prompt;

// Asks for the name of a new standard variable of the default data. OK closes only for
// a name the default data can take (a new name, letter case and surrounding blanks
// aside, that the file can store); otherwise the user is told why and the dialog stays.
// After the dialog has closed, name holds the name without surrounding blanks; it is
// empty after Cancel (also the close box or Escape) or when no name was typed. The
// dialog does not change the default data: the caller adds the variable.
class dlgNewDefaultVar : public QDialog {
  Q_OBJECT

 public:
  dlgNewDefaultVar(const DefaultData& data, Prompt& prompt, QWidget* parent = nullptr);
  ~dlgNewDefaultVar() override;

  std::string name;

  void accept() override;
  void reject() override;

 private:
  std::unique_ptr<Ui::dlgNewDefaultVar> ui_;
  const DefaultData& data_;
  Prompt& prompt_;
};

}  // namespace zendra
