#include "gui/database/dlg_explore_database.h"

#include <QApplication>
#include <QListWidget>
#include <optional>
#include <string>
#include <vector>

#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "gui/shared/background_task.h"
#include "gui/shared/gui_services.h"
#include "core/database/any_database.h"
#include "core/database/code_list.h"
#include "core/model/numeric_text.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "ui_dlg_explore_database.h"

namespace zendra {

namespace {

constexpr int kLastPage = 3;

// Fills a list with the database's entries, each keeping its item data, and selects the
// first one.
void fill(QListWidget* list, const std::vector<ListEntry>& entries) {
  list->clear();
  for (const ListEntry& entry : entries) {
    auto* item = new QListWidgetItem(qs(entry.text), list);
    item->setData(Qt::UserRole, entry.itemData);
  }
  if (list->count() > 0) list->setCurrentRow(0);
}

// The item data of the selected entry, or none.
std::optional<std::int32_t> selectedData(const QListWidget* list) {
  const auto selected = list->selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return selected.front()->data(Qt::UserRole).toInt();
}

}  // namespace

dlgExploreDatabase::dlgExploreDatabase(clsAnyDatabase& db, const VexaMess& doc, Prompt& prompt,
                                       QWidget* parent)
    : QDialog(parent),
      NewDim(DimensionData::create()),
      ui_(std::make_unique<Ui::dlgExploreDatabase>()),
      db_(db),
      doc_(doc),
      prompt_(prompt) {
  ui_->setupUi(this);
  NewDim->dbName = db_.dbName();
  connect(ui_->cmdNext, &QPushButton::clicked, this, &dlgExploreDatabase::next);
  connect(ui_->cmdBack, &QPushButton::clicked, this, &dlgExploreDatabase::back);
  connect(ui_->cmdFinish, &QPushButton::clicked, this, &dlgExploreDatabase::finish);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgExploreDatabase::reject);
  // Listing reads the file again when it changed on disk: off the GUI thread.
  std::vector<ListEntry> tables;
  RunOnDatabase(this, prompt_, db_, [&] {
    tables = db_.ListBoxTables();
    return DbResult::success();
  });
  fill(ui_->lstTables, tables);
  warningsShown_ = db_.ReadWarnings().size();
  showPage(0);
}

dlgExploreDatabase::~dlgExploreDatabase() = default;

void dlgExploreDatabase::message(const char* text) {
  prompt_.message(text, kProgramTitle);
}

void dlgExploreDatabase::next() {
  const bool taken = page_ == 0   ? takeTable()
                     : page_ == 1 ? takeCodeField()
                     : page_ == 2 ? takeValueField()
                                  : false;
  if (taken) showPage(page_ + 1);
}

void dlgExploreDatabase::back() {
  if (page_ > 0) showPage(page_ - 1);
}

bool dlgExploreDatabase::takeTable() {
  const auto table = selectedData(ui_->lstTables);
  if (!table) {
    message("You must select a table");
    return false;
  }
  // A file changed on disk is read again first: off the GUI thread.
  RunOnDatabase(this, prompt_, db_, [&] {
    db_.SelectTable(*table);
    return DbResult::success();
  });
  const std::vector<ListEntry> fields = db_.ListBoxFields();
  fill(ui_->lstFields1, fields);
  fill(ui_->lstFields2, fields);
  NewDim->TableName = db_.TableName();
  return true;
}

bool dlgExploreDatabase::takeCodeField() {
  if (ui_->chkNocodes->isChecked()) {
    codeField_ = -1;
    NewDim->CodeField.clear();
    return true;
  }
  const auto field = selectedData(ui_->lstFields1);
  if (!field) {
    message("Select a field or mark for no codes");
    return false;
  }
  codeField_ = *field;
  NewDim->CodeField = db_.Fieldname(codeField_);
  return true;
}

bool dlgExploreDatabase::takeValueField() {
  const auto field = selectedData(ui_->lstFields2);
  if (!field) {
    message("Select a field");
    return false;
  }
  valueField_ = *field;
  const std::string code = codeField_ < 0 ? " no code" : " Code: " + db_.Fieldname(codeField_);
  ui_->lblSelected->setText(
      qs("Table: " + db_.TableName() + code + " Value: " + db_.Fieldname(valueField_)));
  ui_->lstValueCode->clear();
  // The values are read off the GUI thread, with the progress window and its Cancel.
  const DbResult read = RunOnDatabase(
      this, prompt_, db_, [&] { return readCodeList(db_, codeField_, valueField_, *NewDim); });
  TellDamage(prompt_, db_, warningsShown_);
  if (read.cancelled) return false;
  if (!read) {
    prompt_.message("The values could not be read\n" + read.error, kProgramTitle,
                    Prompt::Icon::Exclamation);
    return false;
  }
  QStringList lines;
  lines.reserve(NewDim->ValueCode.Count());
  for (const auto& value : NewDim->ValueCode) {
    lines.push_back(NewDim->UseCodes ? qs(value->code) + "\t" + qs(value->value)
                                     : qs(value->value));
  }
  ui_->lstValueCode->addItems(lines);
  return true;
}

void dlgExploreDatabase::showPage(int page) {
  page_ = page;
  ui_->pages->setCurrentIndex(page);
  ui_->cmdBack->setVisible(page > 0);
  ui_->cmdNext->setVisible(page < kLastPage);
  ui_->cmdFinish->setVisible(page == kLastPage);
  ui_->cmdNext->setDefault(page < kLastPage);
  ui_->cmdFinish->setDefault(page == kLastPage);
  QWidget* input[] = {ui_->lstTables, ui_->lstFields1, ui_->lstFields2, ui_->txtVarName};
  input[page]->setFocus();
}

void dlgExploreDatabase::finish() {
  const std::string typed = stdString(ui_->txtVarName->text());
  const std::string problem = VariableNameProblem(doc_, typed);
  if (problem == kNameMissing) {
    message("You must give a valid name");
    return;
  }
  if (!problem.empty()) {
    prompt_.message(problem, kProgramTitle, Prompt::Icon::Critical);
    return;
  }
  NewDim->name = std::string(trimBlanks(typed));
  QDialog::accept();
}

void dlgExploreDatabase::reject() {
  NewDim.reset();
  QDialog::reject();
}

}  // namespace zendra
