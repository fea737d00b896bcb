#include "gui/app/dlg_about.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace zendra {

QString versionText(int versionMajor, int versionMinor, int revision) {
  return QString("Version %1.%2.%3")
      .arg(versionMajor)
      .arg(versionMinor, 2, 10, QChar('0'))
      .arg(revision, 3, 10, QChar('0'));
}

dlgAbout::dlgAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgAbout");
  setWindowTitle("Om ZENDRA");

  auto* picture = new QLabel(this);
  picture->setObjectName("picIcon");
  picture->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(48, 48));
  picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  auto* name = new QLabel("ZENDRA", this);
  name->setObjectName("lblProductName");
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 2.5);
  big.setBold(true);
  name->setFont(big);

  auto* version = new QLabel(versionText(kVersionMajor, kVersionMinor, kVersionRevision), this);
  version->setObjectName("lblVersion");

  auto* notice = new QLineEdit(
      "Zendra is provided as is, without warranty of any kind, to the extent the law allows.",
      this);
  notice->setObjectName("Text1");
  notice->setReadOnly(true);
  notice->setCursorPosition(0);
  notice->setMinimumWidth(notice->fontMetrics().horizontalAdvance(notice->text()) + 16);

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(picture, 0, 0, 2, 1);
  layout->addWidget(name, 0, 1);
  layout->addWidget(version, 1, 1);
  layout->addWidget(notice, 2, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  layout->addLayout(buttons, 3, 0, 1, 2);
  layout->setColumnStretch(1, 1);
}

}  // namespace zendra
