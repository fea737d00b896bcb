// A server chosen through the chooser's "Server database (ODBC)..." and dlgOdbcSource, and
// the table-from-database wizard on it, against the same wizard on stats.mdb.
#include "core/database/odbc_api.h"
#include "gui/database/database_chooser.h"
#include "gui/database/dlg_odbc_source.h"
#include "support/dialog_steps.h"
#include "support/odbc_servers.h"

using namespace zendra;
using namespace zendra::test;

TEST(ServerDatabase, OpensFromTheChooserWithItsPasswordApartAndFillsTheTableAsTheFileDoes) {
  EditorWindowFrame f;
  const odbc::ConnectionText pg = odbc::splitPassword(odbcServer("POSTGRESQL"));
  frmCreateVq* editor = f.openText(
      "MATRIX=\"P1\";CONTENTS=\"Income\";DECIMALS=2;STUB=\"Region\",\"Sex\",\"Year\";"
      "VALUES(\"Region\")=\"a\",\"b\",\"c\",\"d\";CODES(\"Region\")=\"01\",\"03\",\"04\",\"05\";"
      "VALUES(\"Sex\")=\"men\",\"women\";CODES(\"Sex\")=\"1\",\"2\";VALUES(\"Year\")=\"2021\","
      "\"2022\",\"2023\";DATA=0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0;");
  ASSERT_TRUE(editor);
  // dlgOdbcSource: OK with no connection first, then the connection and this password; the
  // wizard: Persons by Region, Sex and Year, the sum of Income, run and placed.
  QString password, offered;  // offered: the connection the dialog starts with
  f.answer = [&](QDialog& d) {
    d.show();
    if (qobject_cast<dlgOdbcSource*>(&d)) {
      offered = child<QLineEdit>(d, "txtConnection")->text();
      child<QLineEdit>(d, "txtConnection")->clear();
      press(d, "cmdOK");
      EXPECT_TRUE(d.isVisible());
      child<QLineEdit>(d, "txtConnection")->setText(QString::fromStdString(pg.shown));
      child<QLineEdit>(d, "txtPassword")->setText(password);
      return press(d, "cmdOK");
    }
    choose(d, "lstTables", "Persons");
    press(d, "cmdNext");
    for (const char* b : {"cmdStubSel", "cmdStubSel", "cmdStubSel", "cmdNext"}) press(d, b);
    child<QRadioButton>(d, "OptSumOrCount_0")->click();
    choose(d, "lstFields3", "Income");
    for (const char* b : {"cmdNext", "cmdRun", "cmdFinish"}) press(d, b);
  };
  const auto placed = [&](const std::string& chosen) {
    f.files.script(QString::fromStdString(chosen));
    editor->findChild<QAction*>("mnuCreateFromMDB")->trigger();
    return gridRows(editor->dataGrid(), 1, -1, true);
  };
  const std::string fromFile = placed(std::string(ZENDRA_TEST_DATA) + "/databases/stats.mdb");
  clsAnyDatabase* file = f.ctx.database.get();
  const std::string folder = f.ctx.settings.MDBBase;
  editor->undoStack()->undo();  // the zeros again, for the server to fill

  // A wrong password: told why, and the file stays the program's database.
  password = "wrong";
  f.prompt.asked.clear();
  f.files.script("odbc:");
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  EXPECT_EQ(f.files.calls.back().request.otherChoice, "Server database (ODBC)...");
  ASSERT_EQ(f.prompt.asked.size(), 2u);
  EXPECT_EQ(f.prompt.asked[0].text, "You must choose a data source or type a connection string");
  EXPECT_TRUE(
      f.prompt.asked[1].text.starts_with(OpenFailureText(DatabaseKind::ODBC) + std::string("\n")));
  EXPECT_NE(f.prompt.asked[1].text.find("password authentication failed"), std::string::npos);
  EXPECT_EQ(f.ctx.database.get(), file);

  // The right one: the server quotes its own names and sums as the file does.
  password = QString::fromStdString(pg.password);
  EXPECT_EQ(placed("odbc:"), fromFile);
  const VexaMess& doc = editor->document();
  // Region b, women, 2023: 6 persons, incomes 2120.25 + 0 .. 5.
  EXPECT_EQ(editor->dataGrid().number(doc.DataRow1 + 1 * 6 + 1 * 3 + 2, doc.DataCol1), 12736.5);
  clsAnyDatabase* server = f.ctx.database.get();
  ASSERT_EQ(server->Kind(), DatabaseKind::ODBC);
  // The password is kept in neither its name nor the settings, whose folder stays the file's.
  const std::string kept = server->dbName() + f.ctx.variableSources.lastDatabaseName;
  EXPECT_EQ(kept.find(pg.password), std::string::npos);
  EXPECT_EQ(f.ctx.settings.MDBBase, folder);
  // Chosen again, and for the next use: the open server, its password not needed again.
  password.clear();
  f.files.script("odbc:");
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), server);
  EXPECT_EQ(offered.toStdString(), pg.shown);
  EXPECT_EQ(lastDatabase(f.ctx), server);

  // A configured data source's line fills the string; the focus alone does not.
  dlgOdbcSource d({{"Statistics", "PostgreSQL Unicode"}, {"Archive", ""}}, "DSN=x", f.prompt);
  d.show();
  QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(child<QListWidget>(d, "lstDataSources"), &focus);
  EXPECT_EQ(child<QLineEdit>(d, "txtConnection")->text(), "DSN=x");
  choose(d, "lstDataSources", "Archive");
  EXPECT_EQ(child<QLineEdit>(d, "txtConnection")->text(), "DSN=Archive");
  EXPECT_EQ(items(child<QListWidget>(d, "lstDataSources")),
            (QStringList{"Statistics \u2014 PostgreSQL Unicode", "Archive"}));
}
