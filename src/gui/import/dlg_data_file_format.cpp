#include "gui/import/dlg_data_file_format.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QListWidget>
#include <QStringList>
#include <QTableWidget>
#include <algorithm>

#include "gui/shared/gui_services.h"
#include "core/import/csv_in_file.h"
#include "core/model/vexa_mess.h"
#include "ui_dlg_data_file_format.h"

namespace zendra {
namespace {

constexpr const char* kCellValue = "Cell value";

// A ruler over a monospace sample: a digit at every tenth position, "|" at every fifth.
QString ruler(std::size_t length) {
  QString text;
  for (std::size_t p = 1; p <= length; ++p) {
    if (p % 10 == 0) {
      text += QChar('0' + static_cast<int>((p / 10) % 10));
    } else {
      text += p % 5 == 0 ? '|' : '.';
    }
  }
  return text;
}

}  // namespace

dlgDataFileFormat::dlgDataFileFormat(std::string bytes, const VexaMess& document, QWidget* parent,
                                     const QString& localeDecimal)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgDataFileFormat>()) {
  ui_->setupUi(this);
  const QFont monospace = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (QWidget* w :
       {static_cast<QWidget*>(ui_->txtSample), static_cast<QWidget*>(ui_->txtRuler),
        static_cast<QWidget*>(ui_->grdPreview), static_cast<QWidget*>(ui_->grdFixedPreview)}) {
    w->setFont(monospace);
  }

  CSVInFile reader;
  reader.openBytes(std::move(bytes));
  reader.CSVAnalyse();  // a failed guess leaves usable defaults the user can change
  while (static_cast<int>(sample_.size()) < kSampleLines && reader.CSVGetLine()) {
    sample_.push_back(reader.CurrentRecord);
  }
  QStringList lines;
  for (const std::string& line : sample_) lines.push_back(qs(line));
  ui_->txtSample->setPlainText(lines.join('\n'));
  ui_->txtDecimalPoint->setText(localeDecimal.left(1));

  if (reader.Delimiter == "\t") {
    ui_->optTab->setChecked(true);
  } else if (reader.Delimiter == ";") {
    ui_->optSemicolon->setChecked(true);
  } else if (reader.Delimiter == ",") {
    ui_->optComma->setChecked(true);
  } else if (reader.Delimiter == " ") {
    ui_->optSpace->setChecked(true);
  } else {
    ui_->optOther->setChecked(true);
    ui_->txtOther->setText(qs(reader.Delimiter));
  }
  ui_->txtTextDelim->setText(qs(reader.QuotDelim));

  for (const DimensionRef& variable : document.colStub) items_.push_back(variable->name);
  for (const DimensionRef& variable : document.colHeading) items_.push_back(variable->name);
  items_.push_back(kCellValue);
  assigned_.assign(items_.size(), 0);

  ui_->optDelimited->setChecked(true);
  ui_->txtOther->setEnabled(ui_->optOther->isChecked());
  connect(ui_->grpSeparator, &QButtonGroup::buttonToggled, this, [this] {
    ui_->txtOther->setEnabled(ui_->optOther->isChecked());
    updatePreview();
  });
  connect(ui_->txtOther, &QLineEdit::textEdited, this, [this] { updatePreview(); });
  connect(ui_->txtTextDelim, &QLineEdit::textEdited, this, [this] { updatePreview(); });
  connect(ui_->txtWidths, &QLineEdit::textEdited, this, [this] { updatePreview(); });

  connect(ui_->cmdNext, &QPushButton::clicked, this, &dlgDataFileFormat::next);
  connect(ui_->cmdBack, &QPushButton::clicked, this, &dlgDataFileFormat::back);
  connect(ui_->cmdFinish, &QPushButton::clicked, this, &dlgDataFileFormat::finish);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgDataFileFormat::reject);
  connect(ui_->cmdAssign, &QPushButton::clicked, this,
          [this] { assign(ui_->lstFields->currentRow()); });
  connect(ui_->cmdUnassign, &QPushButton::clicked, this, &dlgDataFileFormat::unassign);
  connect(ui_->lstFields, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { assign(ui_->lstFields->row(item)); });
  connect(ui_->lstOrder, &QListWidget::currentRowChanged, this, [this] { showOrder(); });
  connect(ui_->lstFields, &QListWidget::currentRowChanged, this, [this] { showOrder(); });

  for (QTableWidget* table : {ui_->grdPreview, ui_->grdFixedPreview}) {
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
  }
  initier();
}

dlgDataFileFormat::~dlgDataFileFormat() = default;

void dlgDataFileFormat::initier() {
  showPage(FormatPage);
}

void dlgDataFileFormat::showPage(int page) {
  ui_->stkPages->setCurrentIndex(page);
  ui_->cmdBack->setVisible(page != FormatPage);
  ui_->cmdNext->setVisible(page != OrderPage);
  ui_->cmdFinish->setVisible(page == OrderPage);
  ui_->cmdNext->setDefault(page != OrderPage);
  ui_->cmdFinish->setDefault(page == OrderPage);
  if (page == DelimitersPage || page == FixedPage) updatePreview();
  if (page == FixedPage) updateRuler();
  if (page == OrderPage) fillFields();
  ui_->cmdNext->setEnabled(page == FormatPage || fieldCount_ > 0);
}

void dlgDataFileFormat::next() {
  switch (ui_->stkPages->currentIndex()) {
    case FormatPage:
      showPage(fixedKind() ? FixedPage : DelimitersPage);
      break;
    case DelimitersPage:
    case FixedPage:
      if (fieldCount_ > 0) showPage(OrderPage);
      break;
    default:
      break;
  }
}

void dlgDataFileFormat::back() {
  switch (ui_->stkPages->currentIndex()) {
    case DelimitersPage:
    case FixedPage:
      showPage(FormatPage);
      break;
    case OrderPage:
      showPage(fixedKind() ? FixedPage : DelimitersPage);
      break;
    default:
      break;
  }
}

void dlgDataFileFormat::finish() {
  if (ui_->stkPages->currentIndex() != OrderPage || !ui_->cmdFinish->isEnabled()) return;
  TextFileFormat format = currentFormat();
  format.layout.order = assigned_;
  result_ = std::move(format);
  accept();
}

void dlgDataFileFormat::reject() {
  result_.reset();
  QDialog::reject();
}

std::string dlgDataFileFormat::decimalPoint() const {
  return stdString(ui_->txtDecimalPoint->text());
}

bool dlgDataFileFormat::skipFirst() const {
  return ui_->chkSkipFirst->isChecked();
}

bool dlgDataFileFormat::fixedKind() const {
  return ui_->optFixed->isChecked();
}

std::string dlgDataFileFormat::separator() const {
  if (ui_->optTab->isChecked()) return "\t";
  if (ui_->optSemicolon->isChecked()) return ";";
  if (ui_->optComma->isChecked()) return ",";
  if (ui_->optSpace->isChecked()) return " ";
  return stdString(ui_->txtOther->text());
}

TextFileFormat dlgDataFileFormat::currentFormat() const {
  TextFileFormat format;
  if (fixedKind()) {
    format.layout.kind = FieldLayout::Kind::Fixed;
    std::string error;
    format.layout.fixed = fixedFieldsFromWidths(stdString(ui_->txtWidths->text()), error);
  } else {
    format.separator = separator();
    format.textDelimiter = stdString(ui_->txtTextDelim->text());
  }
  return format;
}

void dlgDataFileFormat::updatePreview() {
  const TextFileFormat format = currentFormat();
  std::string error;
  if (fixedKind()) {
    fixedFieldsFromWidths(stdString(ui_->txtWidths->text()), error);
    fillPreview(ui_->grdFixedPreview, format, error);
    ui_->lblWidthsError->setText(qs(error));
  } else {
    fillPreview(ui_->grdPreview, format, error);
    ui_->lblSplitError->setText(qs(error));
  }
  const int page = ui_->stkPages->currentIndex();
  if (page == DelimitersPage || page == FixedPage) ui_->cmdNext->setEnabled(fieldCount_ > 0);
}

void dlgDataFileFormat::fillPreview(QTableWidget* table, const TextFileFormat& format,
                                    std::string& error) {
  std::vector<std::vector<std::string>> rows;
  fieldCount_ = format.layout.kind == FieldLayout::Kind::Fixed
                    ? static_cast<std::int32_t>(format.layout.fixed.size())
                    : 0;
  for (const std::string& line : sample_) {
    std::string lineError;
    rows.push_back(splitFields(line, format, &lineError));
    if (error.empty() && !lineError.empty()) error = line + ": " + lineError;
    fieldCount_ = std::max(fieldCount_, static_cast<std::int32_t>(rows.back().size()));
  }
  firstLine_ = rows.empty() ? std::vector<std::string>() : rows.front();

  table->clear();
  table->setRowCount(static_cast<int>(rows.size()));
  table->setColumnCount(fieldCount_);
  QStringList headers;
  for (std::int32_t f = 1; f <= fieldCount_; ++f) headers.push_back("Field " + QString::number(f));
  table->setHorizontalHeaderLabels(headers);
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const auto& fields = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(fields.size()); ++c) {
      table->setItem(r, c, new QTableWidgetItem(qs(fields[static_cast<std::size_t>(c)])));
    }
  }
  table->resizeColumnsToContents();
}

void dlgDataFileFormat::updateRuler() {
  std::size_t longest = 10;
  QStringList lines;
  for (const std::string& line : sample_) {
    lines.push_back(qs(line));
    longest = std::max(longest, static_cast<std::size_t>(lines.back().size()));
  }
  lines.prepend(ruler(longest));
  ui_->txtRuler->setPlainText(lines.join('\n'));
}

void dlgDataFileFormat::fillFields() {
  // Fields the new format no longer has lose their items.
  for (std::int32_t& field : assigned_) {
    if (field > fieldCount_) field = 0;
  }
  ui_->lstFields->clear();
  for (std::int32_t f = 1; f <= fieldCount_; ++f) {
    const std::size_t at = static_cast<std::size_t>(f - 1);
    const std::string text = at < firstLine_.size() ? firstLine_[at] : std::string();
    ui_->lstFields->addItem("Field " + QString::number(f) + ": " + qs(text));
  }
  ui_->lstOrder->clear();
  for (std::size_t i = 0; i < items_.size(); ++i) ui_->lstOrder->addItem(QString());
  const auto firstOpen = std::find(assigned_.begin(), assigned_.end(), 0);
  ui_->lstOrder->setCurrentRow(
      firstOpen == assigned_.end() ? 0 : static_cast<int>(firstOpen - assigned_.begin()));
  showOrder();
}

void dlgDataFileFormat::assign(int fieldRow) {
  const int item = ui_->lstOrder->currentRow();
  if (item < 0 || fieldRow < 0 || fieldRow >= fieldCount_) return;
  const std::int32_t field = fieldRow + 1;
  // A field holds one item: the item that had it gives it up.
  std::replace(assigned_.begin(), assigned_.end(), field, 0);
  assigned_[static_cast<std::size_t>(item)] = field;
  // Go on with the next item that still lacks a field, from the top again at the end.
  auto open = std::find(assigned_.begin() + item, assigned_.end(), 0);
  if (open == assigned_.end()) open = std::find(assigned_.begin(), assigned_.end(), 0);
  if (open != assigned_.end()) {
    ui_->lstOrder->setCurrentRow(static_cast<int>(open - assigned_.begin()));
  }
  showOrder();
}

void dlgDataFileFormat::unassign() {
  const int item = ui_->lstOrder->currentRow();
  if (item < 0) return;
  assigned_[static_cast<std::size_t>(item)] = 0;
  showOrder();
}

void dlgDataFileFormat::showOrder() {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    QListWidgetItem* row = ui_->lstOrder->item(static_cast<int>(i));
    if (!row) continue;
    QString text = qs(items_[i]);
    if (assigned_[i] > 0) text += "  =  Field " + QString::number(assigned_[i]);
    row->setText(text);
  }
  const int item = ui_->lstOrder->currentRow();
  ui_->cmdAssign->setEnabled(item >= 0 && ui_->lstFields->currentRow() >= 0);
  ui_->cmdUnassign->setEnabled(item >= 0 && assigned_[static_cast<std::size_t>(item)] > 0);
  // Distinct fields hold by construction; every item needs one.
  ui_->cmdFinish->setEnabled(std::find(assigned_.begin(), assigned_.end(), 0) == assigned_.end());
}

}  // namespace zendra
