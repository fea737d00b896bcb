#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "core/model/dimension_data_coll.h"

namespace Ui {
class dlgAddVarFromVq;
}

namespace zendra {

class Prompt;
class VexaMess;

// Picks one variable of another table to be copied into doc. The list shows the names
// of variables in their order. OK needs a chosen variable whose name doc does not use
// yet; otherwise the user is told why and the dialog stays open. After the dialog has
// closed, Dimdata is the chosen variable of the other table, or none after Cancel (also
// the close box or Escape). It is that table's own object: the caller places a copy
// (CopyDimdata), so the other table never shares a variable with doc.
class dlgAddVarFromVq : public QDialog {
  Q_OBJECT

 public:
  dlgAddVarFromVq(const DimensionDataColl& variables, const VexaMess& doc, Prompt& prompt,
                  QWidget* parent = nullptr);
  ~dlgAddVarFromVq() override;

  std::shared_ptr<const DimensionData> Dimdata;

  void accept() override;
  void reject() override;

 private:
  std::unique_ptr<Ui::dlgAddVarFromVq> ui_;
  std::vector<std::shared_ptr<const DimensionData>> variables_;
  const VexaMess& doc_;
  Prompt& prompt_;
};

}  // namespace zendra
