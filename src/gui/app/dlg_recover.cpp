#include "gui/app/dlg_recover.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zendra {

dlgRecover::dlgRecover(const QString& name, QWidget* parent) : QDialog(parent) {
  setObjectName("dlgRecover");
  setWindowTitle("Recover table");

  auto* text = new QLabel(
      "Zendra ended before the changes in this table were saved:\n\n" + name +
          "\n\nRecover opens the table as it was at the last copy. Discard deletes the copy. "
          "Later keeps it to be offered at the next start.",
      this);
  text->setObjectName("lblText");
  text->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(this);
  auto* recover = buttons->addButton("&Recover", QDialogButtonBox::AcceptRole);
  recover->setObjectName("cmdRecover");
  recover->setDefault(true);
  auto* discard = buttons->addButton("&Discard", QDialogButtonBox::DestructiveRole);
  discard->setObjectName("cmdDiscard");
  auto* later = buttons->addButton("&Later", QDialogButtonBox::RejectRole);
  later->setObjectName("cmdLater");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(buttons);
  setMinimumWidth(420);

  auto choose = [this](Choice c, bool accepted) {
    choice = c;
    accepted ? accept() : reject();
  };
  connect(recover, &QPushButton::clicked, this, [=] { choose(Choice::Recover, true); });
  connect(discard, &QPushButton::clicked, this, [=] { choose(Choice::Discard, true); });
  connect(later, &QPushButton::clicked, this, [=] { choose(Choice::Later, false); });
}

}  // namespace zendra
