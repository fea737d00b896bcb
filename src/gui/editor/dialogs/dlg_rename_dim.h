#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace Ui {
class dlgRenameDim;
}

namespace zendra {

class Prompt;
class VexaMess;

// Asks for a new name of the variable currently called currentName. OK takes a name
// only when it will do: not blank ("Name must be given"), not the current name
// unchanged and not another variable's name, letter case aside ("Variable name in
// use"); a change of letter case alone is a new name. A refused name keeps the dialog
// open. After the dialog returncode is 0 and name holds the new name without
// surrounding blanks when OK took it, and -1 with name empty after Cancel (also the
// close box or Escape). The dialog does not change the document: the caller renames.
class dlgRenameDim : public QDialog {
  Q_OBJECT

 public:
  dlgRenameDim(const VexaMess& doc, std::string currentName, Prompt& prompt,
               QWidget* parent = nullptr);
  ~dlgRenameDim() override;

  std::int16_t returncode = -1;
  std::string name;

  void done(int result) override;

 private:
  // Why the typed name will not do; empty when it will.
  std::string problem(const std::string& typed) const;

  std::unique_ptr<Ui::dlgRenameDim> ui_;
  const VexaMess& doc_;
  std::string currentName_;
  Prompt& prompt_;
};

}  // namespace zendra
