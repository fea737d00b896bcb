#include "gui/editor/pages/variables_page.h"

#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeWidget>
#include <algorithm>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "core/editor/field_commands.h"
#include "core/editor/paste_commands.h"
#include "core/editor/step_group.h"
#include "gui/shared/dlg_new_value_order.h"
#include "gui/editor/dialogs/dlg_rename_dim.h"
#include "gui/editor/dimension_tree.h"
#include "core/editor/value_commands.h"
#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "core/grid/clipboard_block.h"
#include "core/grid/data_methods.h"
#include "gui/shared/app_context.h"
#include "core/model/vexa_mess.h"
#include "ui_variables_page.h"

namespace zendra {
namespace {

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

void setBoxText(QLineEdit* box, const QString& text) {
  if (box->text() != text) box->setText(text);  // keeps the cursor of a box being typed in
}

}  // namespace

VariablesPage::VariablesPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent),
      ui_(std::make_unique<Ui::VariablesPage>()),
      values_(new ValueGridModel(this)) {
  ui_->setupUi(this);
  ui_->optCodeVal->setId(ui_->optCodeVal_0, 0);
  ui_->optCodeVal->setId(ui_->optCodeVal_1, 1);
  ui_->optCodeVal->setId(ui_->optCodeVal_2, 2);
  ui_->sprValues->setModel(values_);
  ui_->sprValues->horizontalHeader()->setStretchLastSection(true);
  // The tree keeps its width while a group node hides the variable's properties.
  QSizePolicy keep = ui_->fraProperties->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  ui_->fraProperties->setSizePolicy(keep);
  ui_->fraProperties->hide();
  bindControls();
  bindValueGrid();
}

VariablesPage::~VariablesPage() = default;

void VariablesPage::bindControls() {
  connect(ui_->VarTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { chooseNode(node); });
  connect(ui_->optCodeVal, &QButtonGroup::idClicked, this, &VariablesPage::chooseCodeVal);
  connect(ui_->cmbPrestext, &QComboBox::activated, this, [this](int index) {
    setField(&DimensionData::Prestext, index < 0 ? std::string() : std::to_string(index),
             "Prestext");
  });

  connect(ui_->chkElimination, &QCheckBox::clicked, this, [this](bool on) {
    ui_->cmbElimination->setVisible(on);
    if (!on) {
      setField(&DimensionData::Elimination, std::string(), "Elimination");
      return;
    }
    fillElimination();
    // Checking the box eliminates by the value the list shows: "YES" unless ELIMINATION
    // already names a value.
    if (ui_->cmbElimination->currentIndex() < 0) {
      const LoadGuard guard(*this);
      ui_->cmbElimination->setCurrentIndex(0);
    }
    setField(&DimensionData::Elimination, ui_->cmbElimination->currentText().toStdString(),
             "Elimination");
  });
  connect(ui_->cmbElimination, &QComboBox::activated, this, [this](int index) {
    setField(&DimensionData::Elimination, ui_->cmbElimination->itemText(index).toStdString(),
             "Elimination");
  });

  // A check box with its box: checked shows the field, clear hides and empties it.
  auto bindTextField = [this](QCheckBox* check, QLineEdit* box, std::string DimensionData::*field,
                              const char* name) {
    onTyping(box, [this, field, name](const QString& text, std::uint64_t session) {
      setField(field, text.toStdString(), name, session);
    });
    connect(check, &QCheckBox::clicked, this, [this, box, field, name](bool on) {
      box->setVisible(on);
      if (!on) setField(field, std::string(), name);
      const LoadGuard guard(*this);
      setBoxText(box, on ? qs((*variable_).*field) : QString());
    });
  };
  bindTextField(ui_->chkDomain, ui_->txtDomain, &DimensionData::Domain, "Domain");
  bindTextField(ui_->chkMap, ui_->txtMap, &DimensionData::Map, "Map");

  connect(ui_->chkTimeVal, &QCheckBox::clicked, this, [this](bool on) {
    setField(&DimensionData::UseTimeVal, on, "Timeval");
    values_->reload();
  });
  connect(ui_->chkPartitioned, &QCheckBox::clicked, this, [this](bool on) {
    setField(&DimensionData::IsPartitioned, on, "Partitioned");
    showPartitioned();
  });
  onTyping(ui_->txtPartName1, [this](const QString& text, std::uint64_t session) {
    setField(&DimensionData::PartName1, text.toStdString(), "Name1", session);
  });
  onTyping(ui_->txtPartName2, [this](const QString& text, std::uint64_t session) {
    setField(&DimensionData::PartName2, text.toStdString(), "Name2", session);
  });
  onTyping(ui_->txtPartNumber, [this](const QString& text, std::uint64_t session) {
    bool numeric = false;
    const std::int16_t number = text.trimmed().toShort(&numeric);
    // The box keeps what was typed; the field keeps its last number.
    if (!numeric) {
      QApplication::beep();
      return;
    }
    setField(&DimensionData::PartNumber, number, "Position", session);
  });

  connect(ui_->chkPrecision, &QCheckBox::clicked, this, [this](bool on) {
    if (!value_) return;
    if (!on) {
      setPrecision("");
    } else if (value_->Precision.empty()) {
      setPrecision("0");
    }
    showPrecision();
  });
  connect(ui_->cmbPrecision, &QComboBox::activated, this,
          [this](int index) { setPrecision(std::to_string(index)); });

  connect(ui_->cmdRenameDim, &QPushButton::clicked, this, &VariablesPage::renameVariable);
  connect(ui_->cmdReorderValue, &QPushButton::clicked, this, &VariablesPage::reorderValues);
  connect(ui_->cmdVarDropIncl, &QPushButton::clicked, this, &VariablesPage::deleteValues);
}

void VariablesPage::bindValueGrid() {
  values_->setEditHandler([this](int row, ValueGridModel::Column column, const QString& text) {
    editValue(row, column, text);
  });
  // Moving the cursor is no change of the table: it only chooses the current value.
  connect(ui_->sprValues->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { setCurrentRow(current.row()); });
  ui_->sprValues->installEventFilter(this);
  connect(ui_->sprValues, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (QMenu* menu = editor_.editMenu()) {
      menu->popup(ui_->sprValues->viewport()->mapToGlobal(at));
    }
  });
}

bool VariablesPage::eventFilter(QObject* watched, QEvent* event) {
  // While a cell is being edited its editor has the keys: Delete then edits the text.
  if (watched == ui_->sprValues && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    deleteValues();
    return true;
  }
  return EditorPage::eventFilter(watched, event);
}

void VariablesPage::load() {
  const LoadGuard guard(*this);
  const VexaMess& doc = editor_.document();
  FillDimensionTree(doc, ui_->VarTree);
  // The variable shown before stays chosen while it is still in the table.
  const std::int32_t position = variable_ ? doc.Dimensions.IndexOf(variable_.get()) : 0;
  if (position == 0) variable_.reset();
  for (int g = 0; g < ui_->VarTree->topLevelItemCount() && position; ++g) {
    QTreeWidgetItem* group = ui_->VarTree->topLevelItem(g);
    for (int i = 0; i < group->childCount(); ++i) {
      if (TreeVariablePosition(group->child(i)) == position) {
        ui_->VarTree->setCurrentItem(group->child(i));
      }
    }
  }
  showVariable();
}

void VariablesPage::chooseNode(QTreeWidgetItem* node) {
  if (loading()) return;
  // The new variable is chosen before any control is filled, so a box being emptied
  // never writes into the variable shown before.
  const std::int32_t position = TreeVariablePosition(node);
  variable_ = position ? editor_.document().Dimensions.Item(position) : nullptr;
  value_.reset();
  showVariable();
}

void VariablesPage::showVariable() {
  const LoadGuard guard(*this);
  ui_->fraProperties->setVisible(variable_ != nullptr);
  const ValueRef keep = value_;
  value_.reset();
  if (values_->variable() != variable_) {
    values_->setVariable(variable_);
  } else {
    values_->reload();
  }
  if (!variable_) return;
  const VexaMess& doc = editor_.document();
  const DimensionData& v = *variable_;

  showCodeVal();
  ui_->chkElimination->setChecked(!v.Elimination.empty());
  ui_->cmbElimination->setVisible(!v.Elimination.empty());
  fillElimination();
  for (auto [check, box, field] : {std::tuple{ui_->chkDomain, ui_->txtDomain, &v.Domain},
                                   std::tuple{ui_->chkMap, ui_->txtMap, &v.Map}}) {
    check->setChecked(!field->empty());
    box->setVisible(!field->empty());
    setBoxText(box, qs(*field));
  }
  ui_->cmdReorderValue->setEnabled(!doc.GridHasData);
  // A table has at most one time variable and at most one partitioned variable.
  auto another = [&](bool DimensionData::*flag) {
    const std::vector<DimensionRef> all = doc.Dimensions.NewEnum();
    return std::any_of(all.begin(), all.end(),
                       [&](const DimensionRef& d) { return d != variable_ && (*d).*flag; });
  };
  ui_->chkTimeVal->setChecked(v.UseTimeVal);
  ui_->chkTimeVal->setEnabled(v.UseTimeVal || !another(&DimensionData::UseTimeVal));
  ui_->chkPartitioned->setChecked(v.IsPartitioned);
  ui_->chkPartitioned->setEnabled(v.IsPartitioned || !another(&DimensionData::IsPartitioned));
  showPartitioned();

  // The cursor goes back to the value it was on, else to the first value.
  int row = 0;
  if (keep) {
    const auto& all = v.ValueCode.NewEnum();
    const auto at = std::find(all.begin(), all.end(), keep);
    if (at != all.end()) row = static_cast<int>(at - all.begin());
  }
  if (row < values_->values()) {
    ui_->sprValues->setCurrentIndex(values_->index(row, 0));
  }
  setCurrentRow(ui_->sprValues->currentIndex().row());
}

void VariablesPage::showCodeVal() {
  const LoadGuard guard(*this);
  const DimensionData& v = *variable_;
  const int option = !v.UseCodes ? 0 : v.DoubleColumn == "YES" ? 2 : 1;
  ui_->optCodeVal->button(option)->setChecked(true);
  ui_->cmbPrestext->clear();
  ui_->cmbPrestext->setVisible(v.UseCodes);
  ui_->lblPrestext->setVisible(v.UseCodes);
  if (!v.UseCodes) return;
  ui_->cmbPrestext->addItems({"0 Show codes", "1 Show text", "2 Show both"});
  // An empty or unknown PRESTEXT shows no choice.
  const int prestext = ui_->cmbPrestext->findText(qs(v.Prestext + " "), Qt::MatchStartsWith);
  ui_->cmbPrestext->setCurrentIndex(v.Prestext.size() == 1 ? prestext : -1);
}

void VariablesPage::fillElimination() {
  const LoadGuard guard(*this);
  QComboBox* list = ui_->cmbElimination;
  list->clear();
  if (!variable_ || !ui_->chkElimination->isChecked()) return;
  list->addItem("YES");
  int chosen = variable_->Elimination == "YES" ? 0 : -1;
  for (const ValueRef& value : variable_->ValueCode) {
    list->addItem(qs(value->value));
    if (chosen < 0 && value->value == variable_->Elimination) chosen = list->count() - 1;
  }
  // ELIMINATION naming no value shows no choice rather than one it does not hold.
  list->setCurrentIndex(chosen);
}

void VariablesPage::showPartitioned() {
  const LoadGuard guard(*this);
  const bool on = variable_ && variable_->IsPartitioned;
  ui_->frmPartitioned->setVisible(on);
  if (!on) return;
  setBoxText(ui_->txtPartName1, qs(variable_->PartName1));
  setBoxText(ui_->txtPartName2, qs(variable_->PartName2));
  setBoxText(ui_->txtPartNumber, QString::number(variable_->PartNumber));
}

void VariablesPage::setCurrentRow(int row) {
  value_ = variable_ && row >= 0 ? variable_->ValueCode.Item(row + 1) : nullptr;
  showPrecision();
}

void VariablesPage::showPrecision() {
  const LoadGuard guard(*this);
  const bool on = value_ && !value_->Precision.empty();
  ui_->chkPrecision->setEnabled(value_ != nullptr);
  ui_->chkPrecision->setChecked(on);
  ui_->txtPrecision->setVisible(on);
  ui_->cmbPrecision->setVisible(on);
  if (!on) return;
  setBoxText(ui_->txtPrecision, qs(value_->value));
  bool numeric = false;
  const int precision = qs(value_->Precision).toInt(&numeric);
  ui_->cmbPrecision->setCurrentIndex(numeric && precision < ui_->cmbPrecision->count() ? precision
                                                                                       : -1);
}

template <typename T>
void VariablesPage::setField(T DimensionData::*field, T to, const char* name,
                             std::uint64_t session) {
  if (loading() || !variable_ || (*variable_).*field == to) return;
  using Step = SetFieldsCommand<T>;
  push(std::make_unique<Step>(
      name, std::vector<typename Step::Change>{{variable_, &((*variable_).*field), std::move(to)}},
      session));
}

void VariablesPage::chooseCodeVal(int index) {
  if (loading() || !variable_) return;
  push(makeCodesChoiceCommand(editor_.document(), editor_.dataGrid(), variable_, index,
                              editor_.app().ShowCodes));
  showCodeVal();
  values_->reload();
  setCurrentRow(-1);
  editor_.refreshDataGrid();
}

void VariablesPage::setPrecision(const std::string& precision) {
  if (loading() || !value_ || value_->Precision == precision) return;
  push(std::make_unique<SetPrecisionCommand>(editor_.document(), value_, precision));
}

void VariablesPage::editValue(int row, ValueGridModel::Column column, const QString& typed) {
  if (!variable_) return;
  using Column = ValueGridModel::Column;
  VexaMess& doc = editor_.document();
  CellGrid& grid = editor_.dataGrid();
  const bool showCodes = editor_.app().ShowCodes;
  const std::string text = typed.toStdString();
  if (column == Column::TimeType && !TimeTypeAccepted(text)) {
    editor_.app().prompt->message(TimeTypeRefusal(text), kProgramTitle, Prompt::Icon::Exclamation);
    return;
  }
  auto timeField = [column](const ValueRef& value) {
    return column == Column::Time ? &value->TimeVal : &value->TimeCode;
  };
  if (row >= values_->values()) {
    // Typing into the empty last row makes a new value holding what was typed.
    const bool isCode = column == Column::Code;
    const bool isText = column == Column::Value;
    auto add = std::make_unique<AddValueCommand>(doc, grid, variable_, isText ? text : "",
                                                 isCode ? text : "", showCodes);
    if (isCode || isText) {
      push(std::move(add));
    } else {
      const ValueRef value = add->value();
      std::vector<std::unique_ptr<Command>> steps;
      steps.push_back(std::move(add));
      steps.push_back(std::make_unique<SetTextCommand>(
          "Time", std::vector<SetTextCommand::Change>{{value, timeField(value), text}}));
      push(std::make_unique<StepGroup>("Add Value", std::move(steps)));
    }
    values_->valueAppended();
  } else if (column == Column::Code || column == Column::Value) {
    push(std::make_unique<SetValueCommand>(
        doc, grid, variable_, row + 1,
        column == Column::Code ? SetValueCommand::Field::Code : SetValueCommand::Field::Text, text,
        showCodes));
    values_->rowChanged(row);
  } else {
    const ValueRef value = variable_->ValueCode.Item(row + 1);
    push(std::make_unique<SetTextCommand>(
        column == Column::Time ? "Time" : "TimeType",
        std::vector<SetTextCommand::Change>{{value, timeField(value), text}}));
    values_->rowChanged(row);
  }
  editor_.refreshDataGrid();
  fillElimination();
  setCurrentRow(ui_->sprValues->currentIndex().row());
}

QTableView* VariablesPage::valueGrid() const {
  return ui_->sprValues;
}

QString VariablesPage::copyValues() const {
  const QModelIndex current = ui_->sprValues->currentIndex();
  QModelIndexList rows = ui_->sprValues->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end());
  const bool whole = !rows.empty();
  const int count = whole ? static_cast<int>(rows.size()) : current.isValid() ? 1 : 0;
  const int cols = whole ? values_->columnCount() : 1;
  const std::string text =
      FormatClipboardBlock(count, cols, [&](std::int32_t r, std::int32_t c, std::string& out) {
        const QModelIndex cell = whole ? values_->index(rows[r].row(), c) : current;
        out += cell.data(Qt::DisplayRole).toString().toStdString();
      });
  return QString::fromStdString(text);
}

void VariablesPage::pasteValues(const QString& text) {
  if (!variable_) return;
  const QModelIndex current = ui_->sprValues->currentIndex();
  if (!current.isValid()) return;
  const int row = current.row();
  const int col = current.column();
  const ClipboardBlock block = ClipboardBlock::parse(text.toStdString());
  if (block.empty()) return;
  std::vector<ValueField> columns;
  for (int section = 0; section < values_->columnCount(); ++section) {
    switch (values_->column(section)) {
      case ValueGridModel::Column::Code:
        columns.push_back(ValueField::Code);
        break;
      case ValueGridModel::Column::Value:
        columns.push_back(ValueField::Value);
        break;
      case ValueGridModel::Column::TimeType:
        columns.push_back(ValueField::TimeType);
        break;
      case ValueGridModel::Column::Time:
        columns.push_back(ValueField::Time);
        break;
    }
  }
  ValuePaste paste = MakeValuePaste(editor_.document(), editor_.dataGrid(), variable_, columns, row,
                                    col, block, editor_.app().ShowCodes);
  if (!paste.fits) {
    editor_.app().prompt->message("Contents of clipboard does not fit", kProgramTitle);
    return;
  }
  if (const auto refused = RefusedTimeType(block, paste.turned, col, columns)) {
    editor_.app().prompt->message(TimeTypeRefusal(*refused), kProgramTitle,
                                  Prompt::Icon::Exclamation);
    return;
  }
  if (!paste.step) return;
  {
    const WaitCursor wait;
    push(std::move(paste.step));
    values_->reload();
    editor_.refreshDataGrid();
  }
  fillElimination();
  ui_->sprValues->setCurrentIndex(values_->index(row, col));
  setCurrentRow(row);
}

void VariablesPage::deleteValues() {
  if (!variable_) return;
  std::vector<std::int32_t> positions;
  for (const QModelIndex& index : ui_->sprValues->selectionModel()->selectedRows()) {
    if (index.row() < values_->values()) positions.push_back(index.row() + 1);
  }
  if (positions.empty()) return;
  const std::string elimination = variable_->Elimination;
  {
    const WaitCursor wait;
    push(std::make_unique<RemoveValuesCommand>(editor_.document(), editor_.dataGrid(), variable_,
                                               std::move(positions), editor_.app().ShowCodes));
    showVariable();
    editor_.refreshDataGrid();
  }
  // The step moves ELIMINATION off a value it removes; the user learns of it.
  if (variable_->Elimination != elimination) {
    editor_.app().prompt->message("The value \"" + elimination + "\" that eliminated \"" +
                                      variable_->name + "\" was deleted.\nELIMINATION is now " +
                                      variable_->Elimination + ": the values are summed.",
                                  kProgramTitle, Prompt::Icon::Information);
  }
}

void VariablesPage::renameVariable() {
  if (!variable_) return;
  AppContext& app = editor_.app();
  dlgRenameDim dialog(editor_.document(), variable_->name, *app.prompt, this);
  app.runDialog(dialog);
  if (dialog.returncode != 0) return;
  auto step = std::make_unique<RenameVariableCommand>(editor_.document(), editor_.dataGrid(),
                                                      variable_->name, dialog.name);
  if (!step->refusal().empty()) {
    app.prompt->message(step->refusal(), kProgramTitle, Prompt::Icon::Critical);
    return;
  }
  push(std::move(step));
  editor_.refreshDataGrid();
  load();
}

void VariablesPage::reorderValues() {
  if (!variable_) return;
  dlgNewValueOrder dialog(*variable_, this);
  editor_.app().runDialog(dialog);
  if (dialog.order.empty()) return;  // Cancel
  push(std::make_unique<ReorderValuesCommand>(editor_.document(), editor_.dataGrid(), variable_,
                                              dialog.order, editor_.app().ShowCodes));
  showVariable();
  editor_.refreshDataGrid();
}

}  // namespace zendra
