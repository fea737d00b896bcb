#include "gui/settings/frm_default_data.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <set>

#include "gui/shared/dlg_new_value_order.h"
#include "core/format/reader.h"
#include "gui/shared/app_context.h"
#include "core/settings/config_folder.h"
#include "gui/settings/dlg_new_default_var.h"
#include "ui_frm_default_data.h"

namespace zendra {
namespace {

constexpr int kCodeColumn = 0;

// A grid cell that shows text; the grid's own last row stays without items.
void setCell(QTableWidget* grid, int row, int column, const std::string& text) {
  grid->setItem(row, column, new QTableWidgetItem(qs(text)));
}

}  // namespace

frmDefaultData::frmDefaultData(AppContext& context, QWidget* parent)
    : QDialog(parent),
      ctx_(context),
      working_(context.settings),
      ui_(std::make_unique<Ui::frmDefaultData>()),
      messageBoxes_(this) {
  ui_->setupUi(this);
  working_.CopyFrom(ctx_.defaultData);

  struct Constant {
    QLineEdit* box;
    std::string DefaultData::*field;
  };
  for (const Constant& c :
       {Constant{ui_->txtContact, &DefaultData::Contact},
        Constant{ui_->txtSource, &DefaultData::Source},
        Constant{ui_->txtDataBase, &DefaultData::Database},
        Constant{ui_->txtBy, &DefaultData::Bytext}, Constant{ui_->txtAnd, &DefaultData::Andtext}}) {
    c.box->setText(qs(working_.*c.field));
    connect(c.box, &QLineEdit::textChanged, this,
            [this, field = c.field](const QString& text) { working_.*field = stdString(text); });
  }

  for (QTableWidget* grid : {ui_->sprValues, ui_->sprUnits}) grid->installEventFilter(this);
  connect(ui_->sprUnits, &QTableWidget::itemChanged, this, &frmDefaultData::unitEdited);
  connect(ui_->sprValues, &QTableWidget::itemChanged, this, &frmDefaultData::valueEdited);
  fillUnits();

  connect(ui_->lstVar, &QListWidget::currentRowChanged, this, &frmDefaultData::fillValues);
  for (const std::string& name : working_.Variable) ui_->lstVar->addItem(qs(name));
  if (ui_->lstVar->count() > 0) ui_->lstVar->setCurrentRow(0);
  fillValues();

  connect(ui_->cmdNewVariable, &QPushButton::clicked, this, &frmDefaultData::newVariable);
  connect(ui_->cmdNewOrder, &QPushButton::clicked, this, &frmDefaultData::newOrder);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &frmDefaultData::save);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmDefaultData::~frmDefaultData() = default;

FileChooser& frmDefaultData::files() {
  return ctx_.files ? *ctx_.files : static_cast<FileChooser&>(desktopFiles_);
}

Prompt& frmDefaultData::prompt() {
  return ctx_.prompt ? *ctx_.prompt : static_cast<Prompt&>(messageBoxes_);
}

void frmDefaultData::fillUnits() {
  filling_ = true;
  QTableWidget* grid = ui_->sprUnits;
  grid->clearContents();
  const int units = static_cast<int>(working_.Units.size());
  grid->setRowCount(units + 1);
  for (int row = 0; row < units; ++row) setCell(grid, row, 0, working_.Units[row]);
  filling_ = false;
}

DimensionRef frmDefaultData::selectedVariable() const {
  const int row = ui_->lstVar->currentRow();
  if (row < 0 || row >= static_cast<int>(working_.Variable.size())) return nullptr;
  return working_.GetDefaultVar(working_.Variable[static_cast<std::size_t>(row)]);
}

void frmDefaultData::fillValues() {
  filling_ = true;
  QTableWidget* grid = ui_->sprValues;
  grid->clearContents();
  const DimensionRef variable = selectedVariable();
  const int values = variable ? variable->ValueCode.Count() : 0;
  // Without a variable there is nothing to add a value to: no empty row either.
  grid->setRowCount(variable ? values + 1 : 0);
  for (int row = 0; row < values; ++row) {
    const ValueRef value = variable->ValueCode.Item(row + 1);
    setCell(grid, row, 0, value->code);
    setCell(grid, row, 1, value->value);
  }
  ui_->cmdNewOrder->setEnabled(variable != nullptr);
  filling_ = false;
}

void frmDefaultData::unitEdited(QTableWidgetItem* item) {
  if (filling_) return;
  const std::string text = stdString(item->text());
  const auto row = static_cast<std::size_t>(item->row());
  if (row < working_.Units.size()) {
    working_.Units[row] = text;
    return;
  }
  // The empty last row: a unit is added only for a text, and a new empty row follows.
  if (text.empty()) return;
  working_.Units.push_back(text);
  ui_->sprUnits->setRowCount(static_cast<int>(working_.Units.size()) + 1);
}

void frmDefaultData::valueEdited(QTableWidgetItem* item) {
  if (filling_) return;
  const DimensionRef variable = selectedVariable();
  if (!variable) return;
  const std::string text = stdString(item->text());
  const int row = item->row();
  if (row >= variable->ValueCode.Count()) {
    if (text.empty()) return;
    variable->addVal();
    ui_->sprValues->setRowCount(variable->ValueCode.Count() + 1);
  }
  const ValueRef value = variable->ValueCode.Item(row + 1);
  (item->column() == kCodeColumn ? value->code : value->value) = text;
}

void frmDefaultData::deleteSelectedRows(QTableWidget* grid) {
  std::set<int, std::greater<>> rows;  // from the last row up to the first
  for (const QModelIndex& index : grid->selectionModel()->selectedIndexes()) {
    rows.insert(index.row());
  }
  if (grid == ui_->sprUnits) {
    for (const int row : rows) {
      if (row < static_cast<int>(working_.Units.size()))
        working_.Units.erase(working_.Units.begin() + row);
    }
    fillUnits();
    return;
  }
  const DimensionRef variable = selectedVariable();
  if (!variable) return;
  // RemoveVal ignores rows beyond the values (the empty last row).
  for (const int row : rows) variable->RemoveVal(row + 1);
  fillValues();
}

bool frmDefaultData::eventFilter(QObject* watched, QEvent* event) {
  auto* grid = qobject_cast<QTableWidget*>(watched);
  if (grid && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    // While a cell is typed in, its editor has the keys: this is the grid's own Delete.
    deleteSelectedRows(grid);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void frmDefaultData::newVariable() {
  dlgNewDefaultVar dialog(working_, prompt(), this);
  ctx_.runDialog(dialog);
  if (dialog.name.empty()) return;
  working_.Variable.push_back(dialog.name);
  working_.Dimensions.Add(DimensionData::create(dialog.name), dialog.name);
  ui_->lstVar->addItem(qs(dialog.name));
  ui_->lstVar->setCurrentRow(ui_->lstVar->count() - 1);
}

void frmDefaultData::newOrder() {
  const DimensionRef variable = selectedVariable();
  if (!variable) return;
  dlgNewValueOrder dialog(*variable, this);
  ctx_.runDialog(dialog);
  const std::vector<std::int32_t>& order = dialog.order;
  if (order.size() != static_cast<std::size_t>(variable->ValueCode.Count())) return;
  VacCollection reordered;
  for (const std::int32_t position : order) {
    const ValueRef value = variable->ValueCode.Item(position);
    if (!value) return;  // not an order of these values
    reordered.Add(value);
  }
  variable->ValueCode = std::move(reordered);
  fillValues();
}

void frmDefaultData::save() {
  FileChooser::Request request;
  request.title = "Select file containing default data";
  // A save dialog: the default data may go to a new file of the user's own. While the
  // shipped default data is in use, it offers a file of that name in the user's
  // configuration folder instead, since the shipped file is never written. The filter is
  // that of the file offered.
  QString current = qs(ctx_.settings.DefaultData);
  if (current.isEmpty()) {
    current = qs((configFolder() / "default_data.ini").string());
  }
  const QString suffix = QFileInfo(current).suffix();
  request.filter = qtFilter(suffix.isEmpty() ? QString("All-files|*.*")
                                             : "Default data|*." + suffix + "|All-files|*.*");
  request.fileName = current;
  request.folder = QFileInfo(current).absolutePath();
  const std::string path = stdString(files().saveFile(this, request));
  if (path.empty()) return;  // the user cancelled: nothing is written, the window stays

  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written = working_.save_data(path);
  QApplication::restoreOverrideCursor();
  if (!written) {
    prompt().message("The default data could not be saved to " + path + ":\n" + working_.error(),
                     kProgramTitle, Prompt::Icon::Exclamation);
    return;
  }

  VqVexaData& settings = ctx_.settings;
  settings.DefaultData = path;
  if (!settings.save_ini()) {
    prompt().message("The settings could not be saved:\n" + settings.error(), kProgramTitle,
                     Prompt::Icon::Exclamation);
  }
  ctx_.defaultData.CopyFrom(working_);
  ctx_.defaultData.NewDefaultData.notify();
  accept();
}

}  // namespace zendra
