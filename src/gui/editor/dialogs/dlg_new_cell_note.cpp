#include "gui/editor/dialogs/dlg_new_cell_note.h"

#include "gui/editor/dimension_tree.h"
#include "core/format/reader.h"
#include "gui/shared/gui_services.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "ui_dlg_new_cell_note.h"

namespace zendra {

dlgNewCellNote::dlgNewCellNote(const VexaMess& doc, Prompt& prompt, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::dlgNewCellNote>()),
      doc_(doc),
      prompt_(prompt),
      building_(std::make_shared<CellNote>()) {
  ui_->setupUi(this);
  for (std::int32_t i = 0; i < doc_.Dimensions.Count(); ++i) {
    building_->Values().Add(doc_.AllVals);
  }
  ui_->txtKey->setText(qs(building_->Vstr()));
  connect(ui_->VarTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { chooseNode(node); });
  connect(ui_->List1, &QListWidget::currentRowChanged, this, &dlgNewCellNote::chooseEntry);
  connect(ui_->cmdOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  FillDimensionTree(doc_, ui_->VarTree);
  // The tree starts on its "Stub" group, so the value list starts hidden.
  chooseNode(ui_->VarTree->currentItem());
}

dlgNewCellNote::~dlgNewCellNote() = default;

void dlgNewCellNote::chooseNode(QTreeWidgetItem* node) {
  position_ = TreeVariablePosition(node);
  variable_ = position_ ? doc_.Dimensions.Item(position_) : nullptr;
  ui_->List1->setVisible(variable_ != nullptr);
  if (!variable_) {
    position_ = 0;
    return;
  }
  filling_ = true;
  ui_->List1->clear();
  ui_->List1->addItem("*");
  int chosen = 0;
  const ValueRef entry = building_->Values().Item(position_);
  int row = 0;
  for (const ValueRef& value : variable_->ValueCode) {
    ui_->List1->addItem(qs(value->value));
    ++row;
    if (entry && value->UID == entry->UID) chosen = row;
  }
  ui_->List1->setCurrentRow(chosen);
  filling_ = false;
}

void dlgNewCellNote::chooseEntry(int row) {
  if (filling_ || !variable_ || row < 0) return;
  building_->ReplaceValue(position_, row == 0 ? doc_.AllVals : variable_->ValueCode.Item(row));
  ui_->txtKey->setText(qs(building_->Vstr()));
}

void dlgNewCellNote::done(int result) {
  note.reset();
  if (result == Accepted) {
    if (doc_.Cellnotes.FindesCellNote(*building_)) {
      prompt_.message("Cellnote for this cell exists", kProgramTitle, Prompt::Icon::Information);
      return;
    }
    note = building_;
  }
  QDialog::done(result);
}

}  // namespace zendra
