#pragma once

#include <QDialog>

namespace zendra {

// Offers a table left behind by a program that ended without saving it: Recover opens
// it, Discard deletes the copy, Later (also the close box or Escape) keeps it for the
// next start. The caller reads choice after the dialog has closed.
class dlgRecover : public QDialog {
  Q_OBJECT

 public:
  enum class Choice { Recover, Discard, Later };
  // name: the table's file, or the caption of a table never saved.
  explicit dlgRecover(const QString& name, QWidget* parent = nullptr);

  Choice choice = Choice::Later;
};

}  // namespace zendra
