#include "gui/app/dlg_new_keys.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace zendra {

dlgNewKeys::dlgNewKeys(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgNewKeys");
  setWindowTitle("Create new VQ-file");

  auto* keys = new QPushButton("VQ-File with Keys", this);
  keys->setObjectName("cmdKeys");
  auto* standard = new QPushButton("Standard VQ-file", this);
  standard->setObjectName("cmdStandard");
  standard->setDefault(true);
  auto* cancelButton = new QPushButton("Cancel", this);
  cancelButton->setObjectName("cmdCancel");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(keys);
  layout->addWidget(standard);
  layout->addSpacing(8);
  layout->addWidget(cancelButton);
  setMinimumWidth(260);

  connect(keys, &QPushButton::clicked, this, [this] { choose(true); });
  connect(standard, &QPushButton::clicked, this, [this] { choose(false); });
  connect(cancelButton, &QPushButton::clicked, this, &dlgNewKeys::reject);
}

void dlgNewKeys::choose(bool withKeys) {
  FileWithKeys = withKeys;
  cancel = false;
  accept();
}

void dlgNewKeys::reject() {
  FileWithKeys = false;
  cancel = true;
  QDialog::reject();
}

}  // namespace zendra
