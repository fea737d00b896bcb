#pragma once

#include <QDialog>

class QPushButton;

namespace zendra {

// Asks which kind of table File/New makes: one with key columns or a standard one. The
// caller reads FileWithKeys and cancel after the dialog has closed.
class dlgNewKeys : public QDialog {
  Q_OBJECT

 public:
  explicit dlgNewKeys(QWidget* parent = nullptr);

  bool FileWithKeys = false;
  bool cancel = true;  // also after the close box or Escape

  void reject() override;

 private:
  void choose(bool withKeys);
};

}  // namespace zendra
