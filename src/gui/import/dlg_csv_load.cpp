#include "gui/import/dlg_csv_load.h"

#include <QApplication>

#include "ui_dlg_csv_load.h"

namespace zendra {

dlgCSVLoad::dlgCSVLoad(const std::string& bytes, const VexaMess& doc, const QString& localeDecimal,
                       QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::dlgCSVLoad>()),
      localeDecimal_(localeDecimal.left(1).toStdString()) {
  ui_->setupUi(this);
  const TextSample sample = AnalyseText(bytes, doc);
  ui_->cmbSeperator->setCurrentText(QString::fromStdString(sample.separator));
  ui_->txtTextDelim->setText(QString::fromStdString(sample.textDelimiter));
  ui_->txtDecimalPoint->setText(QString::fromStdString(localeDecimal_));
  for (const std::string& line : sample.lines)
    ui_->lstSample->addItem(QString::fromStdString(line));
  ui_->chkMultipleValues->setChecked(sample.multipleValues);
  ui_->Frame2->hide();
  connect(ui_->OKButton, &QPushButton::clicked, this, &dlgCSVLoad::onOk);
  connect(ui_->CancelButton, &QPushButton::clicked, this, &dlgCSVLoad::reject);
  connect(ui_->cmdClose, &QPushButton::clicked, this, &dlgCSVLoad::accept);
}

dlgCSVLoad::~dlgCSVLoad() = default;

TextImportSettings dlgCSVLoad::settings() const {
  TextImportSettings s;
  s.separator = SeparatorChar(ui_->cmbSeperator->currentText().toStdString());
  s.textDelimiter = ui_->txtTextDelim->text().toStdString();
  s.decimalPoint = ui_->txtDecimalPoint->text().toStdString();
  s.localeDecimal = localeDecimal_.empty() ? "." : localeDecimal_;
  s.skipFirst = ui_->chkSkipFirst->isChecked();
  s.multipleValues = ui_->chkMultipleValues->isChecked();
  s.fillMissing = ui_->chkFillMissing->isChecked();
  return s;
}

void dlgCSVLoad::onOk() {
  ui_->Frame1->hide();
  ui_->Frame2->show();
  ui_->cmdClose->setEnabled(false);
  QApplication::processEvents();
  if (load) showLog(load(settings()));
  loaded_ = true;
  ui_->cmdClose->setEnabled(true);
  ui_->cmdClose->setFocus();
}

void dlgCSVLoad::showLog(const TextImportResult& result) {
  ui_->Frame1->hide();
  ui_->Frame2->show();
  for (const std::string& line : result.log) ui_->lstLog->addItem(QString::fromStdString(line));
  loaded_ = true;
  ui_->cmdClose->setEnabled(true);
}

}  // namespace zendra
