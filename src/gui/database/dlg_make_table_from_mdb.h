#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "core/grid/cell_grid.h"
#include "core/database/any_database.h"
#include "core/database/table_from_database.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"

namespace Ui {
class dlgMakeTableFromMDB;
}

namespace zendra {

// "Make Crosstab Query": the user picks a table or select query of the open database,
// assigns one field to each of the table's variables, chooses Count or the sum of a
// field, runs the statement built from that (which the user may edit) and on Finish
// hands the placement of its rows to `finish` (the editor window pushes it as one step).
// The dialog never changes the document or the grid itself. Values that match no value
// of their variable are listed in lsterror instead, and nothing is placed.
class dlgMakeTableFromMDB : public QDialog {
  Q_OBJECT

 public:
  dlgMakeTableFromMDB(clsAnyDatabase& db, const VexaMess& doc, const CellGrid& grid, Prompt& prompt,
                      QWidget* parent = nullptr);
  ~dlgMakeTableFromMDB() override;

  // Runs a statement and reads its rows; by default off the GUI thread, with the progress
  // window and its Cancel.
  std::function<DbResult(const std::string& sql, DbRows& out)> runQuery;
  // Places a result free of refused values.
  std::function<void(DbPlacement)> finish;

  int page() const;

 private:
  void cmdNext_Click();
  void cmdBack_Click();
  void cmdStubSel_Click();
  void cmdStubBack_Click();
  void cmdRun_Click();
  void cmdFinish_Click();
  void showPage(int page);
  void renewStub();
  bool nextFromSource();
  bool nextFromStub();
  bool nextFromAggregate();
  // Runs the text of txtSQL and keeps its rows; false (the user told) when it failed or
  // the result does not fit the table.
  bool runShown();
  void message(const std::string& text, Prompt::Icon icon = Prompt::Icon::None);

  std::unique_ptr<Ui::dlgMakeTableFromMDB> ui_;
  clsAnyDatabase& db_;
  const VexaMess& doc_;
  const CellGrid& grid_;
  Prompt& prompt_;
  std::string source_;  // the chosen table or query, bare
  std::size_t warningsShown_ = 0;  // the database's warnings already told
  dbFelter fields_;
  std::string ranSql_;  // the text whose rows result_ holds
  bool ran_ = false;
  DbRows result_;
};

}  // namespace zendra
