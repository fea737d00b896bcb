// The "V&ariables" page: the variable tree, the value grid and the variable's properties,
// each user change one undo step, and choosing a variable or a value writing nothing.
#include <QMenu>

#include "page_frame.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// The table on the Variables page.
struct Page : PageFrame {
  Page() : PageFrame(kPeople, frmCreateVq::Variables) {}
  QTableView* grid() { return get<QTableView>("sprValues"); }
  QAbstractItemModel* cells() { return grid()->model(); }
  // The value grid: its header and rows, cells parted by "|".
  std::string values() {
    std::string out;
    for (int r = -1; r < cells()->rowCount(); ++r) {
      for (int c = 0; c < cells()->columnCount(); ++c) {
        const QVariant text =
            r < 0 ? cells()->headerData(c, Qt::Horizontal) : cells()->index(r, c).data();
        out += (c ? "|" : "") + text.toString().toStdString();
      }
      out += "\n";
    }
    return out;
  }
  std::string dataCells() { return gridRows(editor->dataGrid()); }
};

}  // namespace

TEST(VariablesPage,
     TheTreeKeepsTheChosenVariableShowingWritesNothingAndDeleteTellsOfTheEliminator) {
  Page p;
  QTreeWidget* tree = p.get<QTreeWidget>("VarTree");
  // Both groups open; the last variable was scrolled into view.
  EXPECT_EQ(treeText(tree),
            "Stub(Stub 0+)[region(A1 1),sex(A2 1)] Heading(Heading 0+)[year(A3 2)] ");
  // The stub group is chosen: the property controls are hidden.
  EXPECT_EQ(p.state({"sprValues", "cmdRenameDim"}), "-|-");

  // The chosen variable stays chosen after an undo refills the tree.
  p.choose("year");
  p.act("chkDomain;txtDomain=calendar");
  p.history()->undo();
  EXPECT_EQ(tree->currentItem()->text(0), "year");
  EXPECT_EQ(p.var("year").Domain, "");

  const std::initializer_list<const char*> controls = {
      "optCodeVal_0",   "optCodeVal_1", "cmbPrestext",  "chkElimination",
      "cmbElimination", "chkPrecision", "cmbPrecision", "txtPrecision"};
  p.choose("region");
  // The cursor row shows its value's precision.
  p.act("row=1");  // South, precision 2
  EXPECT_EQ(p.state(controls), "off|on||off|-|on|2|South");
  p.act("row=2");  // East, none
  EXPECT_EQ(p.state(controls), "off|on||off|-|off|-|-");
  p.choose("sex");
  EXPECT_EQ(p.state(controls), "on|off|-|on|men|off|-|-");
  p.choose("year");
  // With data in the grid the values keep their order.
  EXPECT_FALSE(p.get("cmdReorderValue")->isEnabled());

  // Visiting every variable and value, and the Edit menu the right button opens over the value
  // grid, write nothing.
  for (const char* name : {"region", "sex", "year"}) {
    p.choose(name);
    p.click("chkDomain");  // shows the empty box; clicking a variable must not empty a field
    for (int row = 0; row < p.cells()->rowCount(); ++row) p.act("row=" + QString::number(row));
  }
  p.choose("Stub");
  p.choose("region");
  emit p.grid()->customContextMenuRequested({5, 5});
  EXPECT_TRUE(p.editor->editMenu()->isVisible());
  p.editor->editMenu()->close();
  EXPECT_FALSE(p.editor->isChanged());

  // Delete removes the selected values in one step.
  p.choose("region");
  QItemSelectionModel* selection = p.grid()->selectionModel();
  for (int row : {0, 2, 3}) {  // the empty row counts for nothing
    selection->select(p.cells()->index(row, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  QTest::keyClick(p.grid(), Qt::Key_Delete);
  EXPECT_EQ(p.history()->count(), 1);
  EXPECT_EQ(p.values(), "Code|Value\n02|South\n|\n");

  // Deleting the value that eliminates the variable: ELIMINATION becomes YES, the user is
  // told, and undo brings both back.
  p.choose("sex");
  p.act("row=0");
  selection->select(p.cells()->index(0, 0),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  p.click("cmdVarDropIncl");
  EXPECT_EQ(p.var("sex").Elimination + "|" + p.text("cmbElimination").toStdString(), "YES|YES");
  EXPECT_TRUE(
      p.asked("The value \"men\" that eliminated \"sex\" was deleted.\n"
              "ELIMINATION is now YES: the values are summed."));
  p.history()->undo();
  EXPECT_EQ(p.var("sex").Elimination + "|" + p.text("cmbElimination").toStdString(), "men|men");
}

TEST(VariablesPage, EveryControlWritesItsFieldInOneStepAndUndoGivesItBack) {
  // A variable's fields, the table's DECIMALS and the precisions of its values.
  const auto fields = [](Page& p, const char* name) {
    const DimensionData& v = p.var(name);
    std::string out = std::to_string(v.UseCodes) + "|" + v.Prestext + "|" + v.DoubleColumn + "|" +
                      v.Elimination + "|" + v.Domain + "|" + v.Map + "|" +
                      std::to_string(v.UseTimeVal) + "|" + std::to_string(v.IsPartitioned) + "|" +
                      v.PartName1 + "|" + v.PartName2 + "|" + std::to_string(v.PartNumber) + "|" +
                      std::to_string(p.doc().Decimaler) + "|";
    for (const auto& value : v.ValueCode) out += value->Precision + ",";
    return out;
  };
  // The variable chosen, the steps before the one checked, that step, and the place of what it
  // writes in the fields and what it writes there.
  const std::tuple<const char*, const char*, const char*, int, const char*> rows[] = {
      {"region", "cmbPrestext=1 Show text", "optCodeVal_0", 0, "0||"},
      {"region", "", "optCodeVal_2", 2, "YES"},
      {"sex", "", "optCodeVal_1", 0, "1"},
      {"region", "", "cmbPrestext=2 Show both", 1, "2"},
      {"region", "", "chkElimination", 3, "YES"},
      {"sex", "", "chkElimination", 3, ""},
      {"sex", "", "cmbElimination=women", 3, "women"},
      {"region", "chkDomain", "txtDomain=kommun", 4, "kommun"},
      {"region", "chkDomain;txtDomain=k", "chkDomain", 4, ""},
      {"region", "chkMap", "txtMap=se", 5, "se"},
      {"year", "", "chkTimeVal", 6, "0"},
      {"region", "", "chkPartitioned", 7, "1"},
      {"region", "chkPartitioned", "txtPartName1=first", 8, "first"},
      {"region", "chkPartitioned", "txtPartName2=rest", 9, "rest"},
      {"region", "chkPartitioned", "txtPartNumber=12", 10, "12"},
      {"region", "row=1", "cmbPrecision=4", 11, "4|,4,,"},
      {"region", "row=1", "chkPrecision", 12, ",,,"},
      {"region", "row=0", "chkPrecision", 11, "2|0,2,,"},
  };
  for (const auto& [variable, setup, step, index, after] : rows) {
    SCOPED_TRACE(std::string(variable) + ": " + setup + "; " + step);
    Page p;
    p.choose(variable);
    p.act(setup);
    const std::string before = fields(p, variable);
    const int steps = p.history()->count();
    p.act(step);
    EXPECT_EQ(fields(p, variable), replaced(before, index, after));
    EXPECT_EQ(p.history()->count(), steps + 1);
    p.history()->undo();
    EXPECT_EQ(fields(p, variable), before);
  }
}

TEST(VariablesPage, TheValueGridMakesAValueFromTheEmptyRowAndEditsFollowInTheDataGrid) {
  Page p;
  p.choose("region");
  const std::string cellsBefore = p.dataCells();

  // A value edit: one step, the data grid's label follows, its cells stay.
  p.typeValue(0, 1, "Norr");
  EXPECT_NE(p.dataCells().find("Norr|women|3.00|4.00"), std::string::npos) << p.dataCells();
  p.typeValue(0, 0, "10");
  EXPECT_EQ(p.value("region", 1).code + "|" + p.value("region", 1).value, "10|Norr");
  EXPECT_EQ(p.history()->count(), 2);
  p.history()->setIndex(0);
  EXPECT_EQ(p.dataCells(), cellsBefore);

  // Typing into the empty last row appends a value and a new empty row, in one step.
  p.typeValue(3, 1, "West");
  EXPECT_EQ(p.history()->index(), 1);
  EXPECT_EQ(p.values(), "Code|Value\n01|North\n02|South\n03|East\n|West\n|\n");

  // The time columns write the time fields; a new time value with its time is one step.
  p.choose("year");
  p.typeValue(1, 1, "M1");
  // The TimeType column takes time scales only: no change, and no value from the empty row.
  p.typeValue(1, 1, "Q(1");
  p.typeValue(2, 1, "A 1");
  EXPECT_TRUE(
      p.asked("\"Q(1\" is no time type. TimeType takes A1 (years), H1 (half-years), "
              "Q1 (quarters), M1 (months) or W1 (weeks)."));
  EXPECT_EQ(p.value("year", 2).TimeCode + std::to_string(p.var("year").ValueCode.Count()), "M12");
  const int before = p.history()->count();
  p.typeValue(2, 2, "2022");
  EXPECT_EQ(p.history()->count(), before + 1);
  EXPECT_EQ(p.value("year", 3).TimeVal, "2022");
}

TEST(VariablesPage, AtMostOneTimeAndOnePartitionedVariableAndRenameAndReorderRunTheirDialogs) {
  Page p;
  const auto allowed = [&] {
    return std::to_string(p.get("chkTimeVal")->isEnabled()) +
           std::to_string(p.get("chkPartitioned")->isEnabled()) + p.state({"frmPartitioned"});
  };
  p.choose("region");
  EXPECT_EQ(allowed(), "01-");  // year is the time variable
  p.click("chkPartitioned");
  EXPECT_EQ(allowed(), "01+");
  p.choose("sex");
  EXPECT_EQ(allowed(), "00-");
  p.choose("year");
  p.click("chkTimeVal");
  p.choose("sex");
  EXPECT_EQ(allowed(), "10-");

  // A position that is not a number is not taken; the box keeps what was typed.
  p.choose("region");
  p.type("txtPartNumber", "3");
  const int steps = p.history()->count();
  p.type("txtPartNumber", "x");
  EXPECT_EQ(std::to_string(p.var("region").PartNumber) + p.state({"txtPartNumber"}), "3x");
  EXPECT_EQ(p.history()->count(), steps);

  // Rename and Reorder values run their dialogs.
  const auto rename = [](const char* name) {
    return [name](QDialog& dialog) {
      dialog.findChild<QLineEdit*>("Text1")->setText(name);
      dialog.accept();
    };
  };
  // An empty name is refused by the dialog: nothing changes.
  p.answers = {rename("  "), rename("area")};
  p.click("cmdRenameDim");
  EXPECT_TRUE(p.asked("Name must be given"));
  EXPECT_EQ(p.history()->count(), steps);
  p.click("cmdRenameDim");
  EXPECT_EQ(p.get<QTreeWidget>("VarTree")->currentItem()->text(0), "area");
  p.history()->undo();
  EXPECT_EQ(p.get<QTreeWidget>("VarTree")->currentItem()->text(0), "region");

  // Values are reordered only without data; Cancel changes nothing.
  p.doc().GridHasData = false;
  p.choose("sex");
  p.choose("region");
  p.click("cmdReorderValue");
  EXPECT_EQ(p.history()->index(), steps);
  p.answers = {[](QDialog& dialog) {
    dialog.findChild<QListWidget*>("List1")->setCurrentRow(2);
    for (const char* button : {"cmdMoveTo", "cmdMoveRest", "cmdOk"}) press(dialog, button);
  }};
  p.click("cmdReorderValue");
  EXPECT_EQ(p.values(), "Code|Value\n03|East\n01|North\n02|South\n|\n");
}
