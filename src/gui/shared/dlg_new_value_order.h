#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <vector>

#include "gui/shared/order_lists.h"

namespace Ui {
class dlgNewValueOrder;
}

namespace zendra {

class DimensionData;

// Asks for a new order of a variable's values, each shown as its code, two blanks and
// its text. The user moves values from "From order:" to "To order:" with the arrows, a
// double click or "Move rest"; OK is offered once every value has moved. After an
// accepted dialog order[i] is the current 1-based position of the value that comes to
// place i + 1; order is empty after Cancel (also the close box or Escape). The dialog
// does not change the variable: the caller applies the order.
class dlgNewValueOrder : public QDialog {
  Q_OBJECT

 public:
  explicit dlgNewValueOrder(const DimensionData& variable, QWidget* parent = nullptr);
  ~dlgNewValueOrder() override;

  // Shows the variable's values in their order, nothing chosen yet.
  void Load_data(const DimensionData& variable);

  std::vector<std::int32_t> order;

  void done(int result) override;

 private:
  void updateOk();

  std::unique_ptr<Ui::dlgNewValueOrder> ui_;
  OrderLists lists_;
};

}  // namespace zendra
