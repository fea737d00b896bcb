#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/shared/order_lists.h"

namespace Ui {
class dlgReorderDimensions;
}

namespace zendra {

class VexaMess;

// Asks for a new order of the stub (side 0) or heading variables. The user moves the
// names one by one, or several at a time, from "From order:" to "To order:"; OK is
// offered once every name has moved. After an accepted dialog order holds the names in
// their new order; it is empty after Cancel (also the close box or Escape). The dialog
// does not change the document: the caller applies the order.
class dlgReorderDimensions : public QDialog {
  Q_OBJECT

 public:
  dlgReorderDimensions(const VexaMess& doc, std::int32_t StubOrHead, QWidget* parent = nullptr);
  ~dlgReorderDimensions() override;

  // Shows the side's variables in their order, nothing chosen yet.
  void Load_data(const VexaMess& doc, std::int32_t StubOrHead);

  std::vector<std::string> order;

  void done(int result) override;

 private:
  void updateOk();

  std::unique_ptr<Ui::dlgReorderDimensions> ui_;
  OrderLists lists_;
  std::vector<std::string> names_;
};

}  // namespace zendra
