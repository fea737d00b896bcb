#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class dlgFillEmpty;
}

namespace zendra {

// Asks how to fill the data cells the check found wanting: which cells (empty ones,
// invalid ones) and with which symbol. The dialog only asks; the caller fills.
//
// "Fill empty cells" starts ticked when cells are missing and is disabled otherwise;
// "Fill invalid cells" starts unticked and is enabled only when invalid cells were found;
// the symbol starts as ".". OK gives RetCode 1 when a box is ticked, else 0; Cancel 0.
class dlgFillEmpty : public QDialog {
  Q_OBJECT

 public:
  dlgFillEmpty(bool dataMissing, bool invalidData, QWidget* parent = nullptr);
  ~dlgFillEmpty() override;

  int RetCode = 0;
  std::string Fill = ".";  // the chosen symbol
  bool fillEmpty() const;
  bool fillInvalid() const;

  void accept() override;
  void reject() override;

 private:
  std::unique_ptr<Ui::dlgFillEmpty> ui_;
};

}  // namespace zendra
