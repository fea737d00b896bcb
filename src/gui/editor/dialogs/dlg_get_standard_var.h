#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "core/model/dimension_data_coll.h"

namespace Ui {
class dlgGetStandardVar;
}

namespace zendra {

class Prompt;
class VexaMess;

// Picks one standard variable of the default data for doc. The left list names the
// standard variables, the right one shows the values of the selected variable; the first
// variable is selected at the start. OK needs a chosen variable whose name doc does not
// use yet; otherwise the user is told why and the dialog stays open. After the dialog has
// closed, Dimdata is the chosen standard variable, or none after Cancel (also the close
// box or Escape). It is the default data's own object: the caller places a copy
// (CopyDimdata), so editing the table never changes the default data.
class dlgGetStandardVar : public QDialog {
  Q_OBJECT

 public:
  dlgGetStandardVar(const DimensionDataColl& standard, const VexaMess& doc, Prompt& prompt,
                    QWidget* parent = nullptr);
  ~dlgGetStandardVar() override;

  std::shared_ptr<const DimensionData> Dimdata;

  void accept() override;
  void reject() override;

 private:
  // The row of the selected variable, or -1.
  int selectedRow() const;
  void showValues();

  std::unique_ptr<Ui::dlgGetStandardVar> ui_;
  std::vector<std::shared_ptr<const DimensionData>> variables_;
  const VexaMess& doc_;
  Prompt& prompt_;
};

}  // namespace zendra
