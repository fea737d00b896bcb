#include "gui/database/dlg_make_table_from_mdb.h"

#include <QApplication>

#include "core/base/counted.h"
#include "core/format/reader.h"
#include "gui/shared/background_task.h"
#include "gui/shared/gui_services.h"
#include "ui_dlg_make_table_from_mdb.h"

namespace zendra {

namespace {

enum Page { SourcePage = 0, StubPage = 1, AggregatePage = 2, SqlPage = 3 };
constexpr const char* kSeparator = "-----------";

void addEntry(QListWidget* list, const std::string& text, std::int32_t data) {
  auto* item = new QListWidgetItem(qs(text), list);
  item->setData(Qt::UserRole, data);
}

void fill(QListWidget* list, const std::vector<ListEntry>& entries) {
  list->clear();
  for (const auto& e : entries) addEntry(list, e.text, e.itemData);
}

// The item data of the selected line, or -1 when none is.
std::int32_t selectedData(const QListWidget* list) {
  const auto selected = list->selectedItems();
  return selected.isEmpty() ? -1 : selected.front()->data(Qt::UserRole).toInt();
}

}  // namespace

dlgMakeTableFromMDB::dlgMakeTableFromMDB(clsAnyDatabase& db, const VexaMess& doc,
                                         const CellGrid& grid, Prompt& prompt, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::dlgMakeTableFromMDB>()),
      db_(db),
      doc_(doc),
      grid_(grid),
      prompt_(prompt) {
  ui_->setupUi(this);
  // Statements run off the GUI thread, with the progress window and its Cancel.
  runQuery = [this](const std::string& sql, DbRows& out) {
    return RunOnDatabase(this, prompt_, db_, [&] { return RunDbQuery(db_, sql, out); });
  };
  warningsShown_ = db_.ReadWarnings().size();
  // Listing reads the file again when it changed on disk: off the GUI thread.
  std::vector<ListEntry> tables, queries;
  RunOnDatabase(this, prompt_, db_, [&] {
    tables = db_.ListBoxTables();
    queries = db_.ListBoxViews();
    return DbResult::success();
  });
  fill(ui_->lstTables, tables);
  fill(ui_->lstQueries, queries);
  ui_->OptSumOrCount_0->setChecked(true);
  ui_->SSTab1->setCurrentIndex(0);
  showPage(SourcePage);
  ui_->cmdBack->hide();
  ui_->cmdFinish->hide();

  connect(ui_->cmdNext, &QPushButton::clicked, this, &dlgMakeTableFromMDB::cmdNext_Click);
  connect(ui_->cmdBack, &QPushButton::clicked, this, &dlgMakeTableFromMDB::cmdBack_Click);
  connect(ui_->cmdStubSel, &QPushButton::clicked, this, &dlgMakeTableFromMDB::cmdStubSel_Click);
  connect(ui_->cmdStubBack, &QPushButton::clicked, this, &dlgMakeTableFromMDB::cmdStubBack_Click);
  connect(ui_->lstFields1, &QListWidget::itemDoubleClicked, this,
          &dlgMakeTableFromMDB::cmdStubSel_Click);
  connect(ui_->cmdRun, &QPushButton::clicked, this, &dlgMakeTableFromMDB::cmdRun_Click);
  connect(ui_->cmdFinish, &QPushButton::clicked, this, &dlgMakeTableFromMDB::cmdFinish_Click);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &dlgMakeTableFromMDB::reject);
  // An edited statement can be run again; Finish runs it itself when it was not.
  connect(ui_->txtSQL, &QPlainTextEdit::textChanged, this, [this] {
    if (ran_ && stdString(ui_->txtSQL->toPlainText()) != ranSql_) ui_->cmdRun->show();
  });
}

dlgMakeTableFromMDB::~dlgMakeTableFromMDB() = default;

int dlgMakeTableFromMDB::page() const {
  return ui_->stkPages->currentIndex();
}

void dlgMakeTableFromMDB::message(const std::string& text, Prompt::Icon icon) {
  prompt_.message(text, kProgramTitle, icon);
}

void dlgMakeTableFromMDB::showPage(int page) {
  ui_->stkPages->setCurrentIndex(page);
}

void dlgMakeTableFromMDB::cmdNext_Click() {
  const int page = this->page();
  bool go = false;
  {
    const WaitCursor wait;
    switch (page) {
      case SourcePage:
        go = nextFromSource();
        break;
      case StubPage:
        go = nextFromStub();
        break;
      case AggregatePage:
        go = nextFromAggregate();
        break;
      default:
        break;
    }
  }
  if (!go) return;
  showPage(page + 1);
  ui_->cmdBack->show();
  if (page + 1 == SqlPage) {
    ui_->cmdNext->hide();
    ui_->lsterror->hide();
  }
}

bool dlgMakeTableFromMDB::nextFromSource() {
  if (ui_->SSTab1->currentIndex() == 0) {
    const std::int32_t table = selectedData(ui_->lstTables);
    if (table < 0) {
      message("You must select a table");
      return false;
    }
    // A file changed on disk is read again first: off the GUI thread.
    RunOnDatabase(this, prompt_, db_, [&] {
      db_.SelectTable(table);
      return DbResult::success();
    });
    source_ = db_.TableName();
  } else {
    const std::int32_t query = selectedData(ui_->lstQueries);
    if (query < 0) {
      message("You must select a query");
      return false;
    }
    // A query's fields may need the tables it reads, which are read first.
    RunOnDatabase(this, prompt_, db_, [&] {
      db_.SelectView(query);
      return DbResult::success();
    });
    source_ = db_.ViewName();
  }
  fields_ = db_.makeFelter();
  cmdStubBack_Click();
  return true;
}

bool dlgMakeTableFromMDB::nextFromStub() {
  const std::int32_t needed = doc_.Dimensions.Count();
  if (ui_->lstStub->count() < needed) {
    message("You must select " + std::to_string(needed) + " variable for stub");
    return false;
  }
  ui_->lstFields3->clear();
  for (const auto& f : fields_) {
    if (!f.Used) addEntry(ui_->lstFields3, f.felt.name, f.Index);
  }
  if (ui_->lstFields3->count() > 0) ui_->lstFields3->setCurrentRow(0);
  return true;
}

bool dlgMakeTableFromMDB::nextFromAggregate() {
  const bool count = ui_->OptSumOrCount_1->isChecked();
  const auto selected = ui_->lstFields3->selectedItems();
  if (!count && selected.isEmpty()) {
    message("You must select count or a field to summarise");
    return false;
  }
  std::vector<std::string> stub;
  for (int i = 0; i < ui_->lstStub->count(); ++i) {
    stub.push_back(stdString(ui_->lstStub->item(i)->text()));
  }
  const std::string sql = count ? CountSql(db_, stub, source_)
                                : SumSql(db_, stub, stdString(selected.front()->text()), source_);
  ui_->txtSQL->setPlainText(qs(sql));
  ran_ = false;
  ui_->Label6->clear();
  ui_->cmdRun->show();
  return true;
}

void dlgMakeTableFromMDB::cmdBack_Click() {
  const int page = this->page();
  if (page <= SourcePage) return;
  showPage(page - 1);
  ui_->cmdNext->show();
  ui_->cmdFinish->hide();
  if (page - 1 == SourcePage) {
    ui_->cmdBack->hide();
    ui_->cmdNext->setEnabled(true);
  }
}

void dlgMakeTableFromMDB::renewStub() {
  const std::int32_t assigned = ui_->lstStub->count();
  const std::int32_t needed = doc_.Dimensions.Count();
  DimensionRef waiting;
  if (assigned < needed) {
    waiting = doc_.Dimensions.Item(assigned + 1);
    ui_->lblSetStub->setText(qs("Select data field for " + waiting->name));
    ui_->cmdNext->setEnabled(false);
    ui_->cmdStubSel->setEnabled(true);
  } else {
    ui_->lblSetStub->setText("Pres next to continue");
    ui_->cmdNext->setEnabled(true);
    ui_->cmdStubSel->setEnabled(false);
  }

  QListWidget* list = ui_->lstFields1;
  list->clear();
  // Fields that a relation ties to the waiting variable's code table come first.
  if (waiting) {
    db_.PrepareRelations(*waiting);
    for (const auto& f : fields_) {
      if (!f.Used && db_.TestRelations(f.Index)) addEntry(list, f.felt.name, f.Index);
    }
    if (list->count() > 0) {
      addEntry(list, kSeparator, -1);
      QListWidgetItem* separator = list->item(list->count() - 1);
      separator->setFlags(separator->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
    }
  }
  for (const auto& f : fields_) {
    if (!f.Used) addEntry(list, f.felt.name, f.Index);
  }
  if (list->count() > 0) list->setCurrentRow(0);
}

void dlgMakeTableFromMDB::cmdStubSel_Click() {
  const std::int32_t position = selectedData(ui_->lstFields1);
  if (position < 0 || ui_->lstStub->count() >= doc_.Dimensions.Count()) return;
  for (auto& f : fields_) {
    if (f.Index != position) continue;
    addEntry(ui_->lstStub, f.felt.name, position);
    f.Used = true;
    break;
  }
  renewStub();
}

void dlgMakeTableFromMDB::cmdStubBack_Click() {
  for (auto& f : fields_) f.Used = false;
  ui_->lstStub->clear();
  renewStub();
}

bool dlgMakeTableFromMDB::runShown() {
  const std::string sql = stdString(ui_->txtSQL->toPlainText());
  DbRows rows;
  const DbResult result = runQuery(sql, rows);
  TellDamage(prompt_, db_, warningsShown_);
  if (!result) {
    // The engine's reason follows on a line of its own: the user may have edited the text.
    if (!result.cancelled) message("Sql failed to run\n" + result.error, Prompt::Icon::Critical);
    return false;
  }
  const std::string shape = DbShapeError(doc_, rows);
  if (!shape.empty()) {
    message(shape, Prompt::Icon::Exclamation);
    return false;
  }
  result_ = std::move(rows);
  ranSql_ = sql;
  ran_ = true;
  ui_->Label6->setText(qs("Created " + std::to_string(result_.rows.size()) + " values"));
  return true;
}

void dlgMakeTableFromMDB::cmdRun_Click() {
  if (!runShown()) {
    ui_->cmdFinish->hide();
    return;
  }
  ui_->cmdFinish->show();
  ui_->cmdRun->hide();
}

void dlgMakeTableFromMDB::cmdFinish_Click() {
  ui_->lsterror->clear();
  // The rows placed are those of the statement shown.
  if (!ran_ || stdString(ui_->txtSQL->toPlainText()) != ranSql_) {
    if (!runShown()) {
      ui_->cmdFinish->hide();
      ui_->cmdRun->show();
      return;
    }
    ui_->cmdRun->hide();
  }
  DbPlacement placement;
  {
    const WaitCursor wait;
    placement = PlaceDbRows(doc_, grid_, result_);
  }
  if (!placement.ok()) {
    // The line above the list says what came of the values read.
    ui_->Label6->setText(qs("Read " + Counted(static_cast<std::int64_t>(result_.rows.size()),
                                              "value", "values") +
                            ", " + std::to_string(placement.errors.size()) +
                            " refused: nothing was placed"));
    for (const auto& line : placement.errors) ui_->lsterror->addItem(qs(line));
    ui_->lsterror->show();
    ui_->cmdFinish->hide();
    return;
  }
  if (finish) finish(std::move(placement));
  accept();
}

}  // namespace zendra
