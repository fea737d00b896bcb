// The "V&ariables" page: the variable tree, the value grid and the variable's properties,
// each user change one undo step, and choosing a variable or a value writing nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>
#include <functional>
#include <string>
#include <vector>

#include "gui/editor/dimension_tree.h"
#include "gui/editor/frm_create_vq.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"

using namespace zendra;

namespace {

// Region (with codes; South has precision 2) by sex (eliminated by "men") in the stub,
// the years as a time variable in the heading, with data.
constexpr const char* kTable =
    "CHARSET=\"ANSI\";\r\n"
    "MATRIX=\"VP01\";\r\n"
    "SUBJECT-AREA=\"Test\";\r\n"
    "SUBJECT-CODE=\"T\";\r\n"
    "TITLE=\"People by region, sex and year\";\r\n"
    "CONTENTS=\"People\";\r\n"
    "UNITS=\"number\";\r\n"
    "DECIMALS=0;\r\n"
    "STUB=\"region\",\"sex\";\r\n"
    "HEADING=\"year\";\r\n"
    "VALUES(\"region\")=\"North\",\"South\",\"East\";\r\n"
    "VALUES(\"sex\")=\"men\",\"women\";\r\n"
    "VALUES(\"year\")=\"2020\",\"2021\";\r\n"
    "TIMEVAL(\"year\")=TLIST(A1),\"2020\",\"2021\";\r\n"
    "CODES(\"region\")=\"01\",\"02\",\"03\";\r\n"
    "PRECISION(\"region\",\"South\")=2;\r\n"
    "ELIMINATION(\"sex\")=\"men\";\r\n"
    "DATA=\r\n1 2\r\n3 4\r\n5 6\r\n7 8\r\n9 10\r\n11 12;\r\n";

// A main window with scripted dialogs and one table open on the Variables page.
struct Page : test::EditorWindowFrame {
  frmCreateVq* editor = nullptr;

  explicit Page(const char* text = kTable) {
    editor = openText(text);
    editor->tabs()->setCurrentIndex(frmCreateVq::Variables);
  }
  VexaMess& doc() { return editor->document(); }
  DimensionData& var(const char* name) { return *doc().Get_Dimension(name); }
  ValueAndCode& value(const char* name, int position) {
    return *var(name).ValueCode.Item(position);
  }
  template <typename T>
  T* get(const char* name) {
    return test::child<T>(*editor, name);
  }
  bool shown(const char* name) { return get<QWidget>(name)->isVisibleTo(editor); }
  QTreeWidget* tree() { return get<QTreeWidget>("VarTree"); }
  QTableView* grid() { return get<QTableView>("sprValues"); }
  QAbstractItemModel* cells() { return grid()->model(); }
  // Clicks a node of the tree by its text.
  void choose(const char* name) {
    const auto found = tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << name;
    tree()->setCurrentItem(found.front());
  }
  // Puts the value grid's cursor on a row.
  void moveTo(int row) { grid()->setCurrentIndex(cells()->index(row, 0)); }
  std::vector<std::string> header() {
    std::vector<std::string> out;
    for (int c = 0; c < cells()->columnCount(); ++c) {
      out.push_back(cells()->headerData(c, Qt::Horizontal).toString().toStdString());
    }
    return out;
  }
  std::string cell(int row, int column) {
    return cells()->index(row, column).data().toString().toStdString();
  }
  // Types into a cell of the value grid as a user does: edit, type, Enter.
  void typeCell(int row, int column, const QString& text) {
    grid()->setFocus();
    const QModelIndex at = cells()->index(row, column);
    grid()->setCurrentIndex(at);
    grid()->edit(at);
    auto* box = qobject_cast<QLineEdit*>(grid()->indexWidget(at));
    ASSERT_TRUE(box);
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    // The grid stores the edit and closes its editor once Enter is handled.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void type(const char* name, const QString& text) {
    auto* box = get<QLineEdit>(name);
    box->selectAll();
    QTest::keyClicks(box, text);
  }
  void pick(const char* name, const QString& text) { test::chooseText(get<QComboBox>(name), text); }
  void click(const char* name) { get<QAbstractButton>(name)->click(); }
  QUndoStack* history() { return editor->undoStack(); }
  // The texts of the data grid's cells, row by row.
  std::string gridTexts() {
    const CellGrid& g = editor->dataGrid();
    std::string out;
    for (int r = 1; r <= g.rowCount(); ++r) {
      for (int c = 1; c <= g.colCount(); ++c) out += g.text(r, c) + "|";
      out += "\n";
    }
    return out;
  }
};

std::string flags(const DimensionData& v) {
  return std::to_string(v.UseCodes) + "/" + v.Prestext + "/" + v.DoubleColumn;
}

}  // namespace

TEST(VariablesPage, TheTreeHoldsTheGroupsAndVariablesWithTheirKeysAndKeepsTheChosenVariable) {
  Page p;
  QTreeWidget* tree = p.tree();
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  QTreeWidgetItem* stub = tree->topLevelItem(0);
  QTreeWidgetItem* heading = tree->topLevelItem(1);
  EXPECT_EQ(stub->text(0), "Stub");
  EXPECT_EQ(heading->text(0), "Heading");
  EXPECT_EQ(stub->data(0, kTreeKeyRole).toString(), "Stub");
  EXPECT_EQ(stub->data(0, kTreeTagRole).toInt(), 0);
  ASSERT_EQ(stub->childCount(), 2);
  EXPECT_EQ(stub->child(1)->text(0), "sex");
  EXPECT_EQ(stub->child(1)->data(0, kTreeKeyRole).toString(), "A2");
  EXPECT_EQ(stub->child(1)->data(0, kTreeTagRole).toInt(), 1);
  EXPECT_EQ(heading->child(0)->data(0, kTreeKeyRole).toString(), "A3");
  EXPECT_EQ(heading->child(0)->data(0, kTreeTagRole).toInt(), 2);
  EXPECT_TRUE(heading->isExpanded());  // the last variable was scrolled into view
  // The stub group is chosen: the property controls are hidden.
  EXPECT_EQ(tree->currentItem(), stub);
  EXPECT_FALSE(p.shown("sprValues"));
  EXPECT_FALSE(p.shown("cmdRenameDim"));

  // The chosen variable stays chosen after an undo refills the tree.
  p.choose("year");
  p.click("chkDomain");
  p.type("txtDomain", "calendar");
  p.history()->undo();
  EXPECT_EQ(tree->currentItem()->text(0), "year");
  EXPECT_TRUE(p.shown("sprValues"));
  EXPECT_EQ(p.var("year").Domain, "");

  // A table without heading variables has only the stub group.
  QTreeWidget alone;
  VexaMess doc;
  doc.addDimension("only", 0);
  FillDimensionTree(doc, &alone);
  ASSERT_EQ(alone.topLevelItemCount(), 1);
  EXPECT_EQ(alone.topLevelItem(0)->child(0)->text(0), "only");
  EXPECT_EQ(TreeVariablePosition(alone.topLevelItem(0)->child(0)), 1);
}

TEST(VariablesPage, ShowingAVariableFillsItsControlsAndWritesNothing) {
  Page p;
  p.choose("region");
  EXPECT_TRUE(p.get<QRadioButton>("optCodeVal_1")->isChecked());
  EXPECT_EQ(p.get<QRadioButton>("optCodeVal_1")->text(), "Codes and Values ");
  EXPECT_TRUE(p.shown("cmbPrestext"));
  EXPECT_EQ(p.get<QComboBox>("cmbPrestext")->itemText(2), "2 Show both");
  EXPECT_FALSE(p.get<QCheckBox>("chkElimination")->isChecked());
  EXPECT_FALSE(p.shown("cmbElimination"));
  EXPECT_EQ(p.get<QCheckBox>("chkElimination")->toolTip(),
            "Select one value as eliminator or YES if values can be eliminated by summerizing");
  EXPECT_EQ(p.get<QCheckBox>("chkPrecision")->toolTip(),
            "Select value with a different number of decimals");
  EXPECT_EQ(p.header(), (std::vector<std::string>{"Code", "Value"}));
  EXPECT_EQ(p.cells()->rowCount(), 4);  // three values and the empty row
  EXPECT_EQ(p.cell(1, 0), "02");
  EXPECT_EQ(p.cell(3, 1), "");

  p.choose("sex");
  EXPECT_TRUE(p.get<QRadioButton>("optCodeVal_0")->isChecked());
  EXPECT_FALSE(p.shown("cmbPrestext"));
  EXPECT_TRUE(p.get<QCheckBox>("chkElimination")->isChecked());
  EXPECT_EQ(p.get<QComboBox>("cmbElimination")->currentText(), "men");
  EXPECT_EQ(p.get<QComboBox>("cmbElimination")->itemText(0), "YES");
  EXPECT_EQ(p.header(), (std::vector<std::string>{"Value"}));

  p.choose("year");
  EXPECT_EQ(p.header(), (std::vector<std::string>{"Value", "TimeType", "Time"}));
  EXPECT_EQ(p.cell(0, 1), "A1");
  EXPECT_EQ(p.cell(1, 2), "2021");
  // With data in the grid the values keep their order.
  EXPECT_FALSE(p.get<QPushButton>("cmdReorderValue")->isEnabled());
  EXPECT_FALSE(p.editor->isChanged());
}

TEST(VariablesPage, EveryControlWritesItsFieldInOneStepAndUndoGivesItBack) {
  struct Row {
    const char* control;
    const char* variable;              // chosen before
    std::function<void(Page&)> setup;  // steps before the one checked
    std::function<void(Page&)> act;
    std::function<std::string(Page&)> field;
    std::string after;
    std::string before;
  };
  auto text = [](const char* v, std::string DimensionData::*f) {
    return [v, f](Page& p) { return p.var(v).*f; };
  };
  auto flag = [](const char* v, bool DimensionData::*f) {
    return [v, f](Page& p) { return std::to_string(p.var(v).*f); };
  };
  auto codes = [](const char* v) { return [v](Page& p) { return flags(p.var(v)); }; };
  auto precision = [](int position) {
    return [position](Page& p) {
      return p.value("region", position).Precision + " d" + std::to_string(p.doc().Decimaler);
    };
  };
  auto none = [](Page&) {};
  const std::vector<Row> rows = {
      {"optCodeVal_0", "region", [](Page& p) { p.pick("cmbPrestext", "1 Show text"); },
       [](Page& p) { p.click("optCodeVal_0"); }, codes("region"), "0//", "1/1/"},
      {"optCodeVal_2", "region", none, [](Page& p) { p.click("optCodeVal_2"); }, codes("region"),
       "1//YES", "1//"},
      {"optCodeVal_1", "sex", none, [](Page& p) { p.click("optCodeVal_1"); }, codes("sex"), "1//",
       "0//"},
      {"cmbPrestext", "region", none, [](Page& p) { p.pick("cmbPrestext", "2 Show both"); },
       text("region", &DimensionData::Prestext), "2", ""},
      {"chkElimination on", "region", none, [](Page& p) { p.click("chkElimination"); },
       text("region", &DimensionData::Elimination), "YES", ""},
      {"chkElimination clear", "sex", none, [](Page& p) { p.click("chkElimination"); },
       text("sex", &DimensionData::Elimination), "", "men"},
      {"cmbElimination", "sex", none, [](Page& p) { p.pick("cmbElimination", "women"); },
       text("sex", &DimensionData::Elimination), "women", "men"},
      {"txtDomain", "region", [](Page& p) { p.click("chkDomain"); },
       [](Page& p) { p.type("txtDomain", "kommun"); }, text("region", &DimensionData::Domain),
       "kommun", ""},
      {"chkDomain clear", "region", [](Page& p) { p.click("chkDomain"), p.type("txtDomain", "k"); },
       [](Page& p) { p.click("chkDomain"); }, text("region", &DimensionData::Domain), "", "k"},
      {"txtMap", "region", [](Page& p) { p.click("chkMap"); },
       [](Page& p) { p.type("txtMap", "se"); }, text("region", &DimensionData::Map), "se", ""},
      {"chkTimeVal", "year", none, [](Page& p) { p.click("chkTimeVal"); },
       flag("year", &DimensionData::UseTimeVal), "0", "1"},
      {"chkPartitioned", "region", none, [](Page& p) { p.click("chkPartitioned"); },
       flag("region", &DimensionData::IsPartitioned), "1", "0"},
      {"txtPartName1", "region", [](Page& p) { p.click("chkPartitioned"); },
       [](Page& p) { p.type("txtPartName1", "first"); }, text("region", &DimensionData::PartName1),
       "first", ""},
      {"txtPartName2", "region", [](Page& p) { p.click("chkPartitioned"); },
       [](Page& p) { p.type("txtPartName2", "rest"); }, text("region", &DimensionData::PartName2),
       "rest", ""},
      {"txtPartNumber", "region", [](Page& p) { p.click("chkPartitioned"); },
       [](Page& p) { p.type("txtPartNumber", "12"); },
       [](Page& p) { return std::to_string(p.var("region").PartNumber); }, "12", "0"},
      {"cmbPrecision", "region", [](Page& p) { p.moveTo(1); },
       [](Page& p) { p.pick("cmbPrecision", "4"); }, precision(2), "4 d4", "2 d0"},
      {"chkPrecision clear", "region", [](Page& p) { p.moveTo(1); },
       [](Page& p) { p.click("chkPrecision"); }, precision(2), " d0", "2 d0"},
      {"chkPrecision on", "region", [](Page& p) { p.moveTo(0); },
       [](Page& p) { p.click("chkPrecision"); }, precision(1), "0 d2", " d0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control);
    Page p;
    p.choose(row.variable);
    row.setup(p);
    const int steps = p.history()->count();
    const int index = p.history()->index();
    row.act(p);
    EXPECT_EQ(row.field(p), row.after);
    EXPECT_EQ(p.history()->count(), steps + 1);
    p.history()->undo();
    EXPECT_EQ(row.field(p), row.before);
    EXPECT_EQ(p.history()->index(), index);
    EXPECT_EQ(p.tree()->currentItem()->text(0), row.variable);
  }
}

TEST(VariablesPage, TheValueGridMakesAValueFromTheEmptyRowAndEditsFollowInTheDataGrid) {
  Page p;
  p.choose("region");
  const std::string cellsBefore = p.gridTexts();
  ASSERT_NE(cellsBefore.find("North"), std::string::npos);

  // A value edit: one step, the data grid's label follows, its cells stay.
  p.typeCell(0, 1, "Norr");
  EXPECT_EQ(p.value("region", 1).value, "Norr");
  std::string renamed = cellsBefore;
  for (auto at = renamed.find("North"); at != std::string::npos; at = renamed.find("North")) {
    renamed.replace(at, 5, "Norr");
  }
  EXPECT_EQ(p.gridTexts(), renamed);
  p.typeCell(0, 0, "10");
  EXPECT_EQ(p.value("region", 1).code, "10");
  p.history()->undo();
  p.history()->undo();
  EXPECT_EQ(p.gridTexts(), cellsBefore);
  EXPECT_EQ(p.value("region", 1).value, "North");
  EXPECT_FALSE(p.editor->isChanged());

  // Typing into the empty last row appends a value and a new empty row, in one step.
  const int steps = p.history()->index();
  p.typeCell(3, 1, "West");
  EXPECT_EQ(p.history()->index(), steps + 1);
  EXPECT_EQ(p.var("region").ValueCode.Count(), 4);
  EXPECT_EQ(p.value("region", 4).value, "West");
  EXPECT_EQ(p.cells()->rowCount(), 5);
  EXPECT_EQ(p.cell(4, 1), "");
  EXPECT_NE(p.gridTexts().find("West"), std::string::npos);
  p.typeCell(4, 0, "05");
  EXPECT_EQ(p.value("region", 5).code, "05");
  EXPECT_EQ(p.value("region", 5).value, "");

  // The time columns write the time fields; a new time value with its time is one step.
  p.choose("year");
  p.typeCell(1, 1, "M1");
  EXPECT_EQ(p.value("year", 2).TimeCode, "M1");
  // The TimeType column takes time scales only: no change, and no value from the empty row.
  p.typeCell(1, 1, "Q(1");
  p.typeCell(2, 1, "A 1");
  EXPECT_TRUE(
      p.asked("\"Q(1\" is no time type. TimeType takes A1 (years), H1 (half-years), "
              "Q1 (quarters), M1 (months) or W1 (weeks)."));
  EXPECT_EQ(p.value("year", 2).TimeCode + std::to_string(p.var("year").ValueCode.Count()), "M12");
  const int before = p.history()->count();
  p.typeCell(2, 2, "2022");
  EXPECT_EQ(p.history()->count(), before + 1);
  EXPECT_EQ(p.value("year", 3).TimeVal, "2022");
  p.history()->undo();
  EXPECT_EQ(p.var("year").ValueCode.Count(), 2);
  EXPECT_EQ(p.cells()->rowCount(), 3);
}

TEST(VariablesPage, TheCursorRowShowsItsValuesPrecision) {
  Page p;
  p.choose("region");
  auto* check = p.get<QCheckBox>("chkPrecision");
  p.moveTo(1);  // South, precision 2
  EXPECT_TRUE(check->isChecked());
  EXPECT_TRUE(p.shown("cmbPrecision"));
  EXPECT_EQ(p.get<QComboBox>("cmbPrecision")->currentText(), "2");
  EXPECT_EQ(p.get<QLineEdit>("txtPrecision")->text(), "South");
  EXPECT_TRUE(p.get<QLineEdit>("txtPrecision")->isReadOnly());
  p.moveTo(2);  // East, none
  EXPECT_FALSE(check->isChecked());
  EXPECT_FALSE(p.shown("cmbPrecision"));
  EXPECT_FALSE(p.shown("txtPrecision"));
  EXPECT_FALSE(p.editor->isChanged());
}

TEST(VariablesPage, DeleteRemovesTheSelectedValuesAndTellsWhenTheEliminatorGoes) {
  Page p;
  p.choose("region");
  const std::string cellsBefore = p.gridTexts();
  QItemSelectionModel* selection = p.grid()->selectionModel();
  selection->select(p.cells()->index(0, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  selection->select(p.cells()->index(2, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  selection->select(p.cells()->index(3, 0),  // the empty row counts for nothing
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const int steps = p.history()->count();
  QTest::keyClick(p.grid(), Qt::Key_Delete);
  EXPECT_EQ(p.history()->count(), steps + 1);
  ASSERT_EQ(p.var("region").ValueCode.Count(), 1);
  EXPECT_EQ(p.value("region", 1).value, "South");
  EXPECT_EQ(p.cells()->rowCount(), 2);
  EXPECT_TRUE(p.prompt.asked.empty());
  p.history()->undo();
  EXPECT_EQ(p.var("region").ValueCode.Count(), 3);
  EXPECT_EQ(p.gridTexts(), cellsBefore);

  // Deleting the value that eliminates the variable: ELIMINATION becomes YES, the user is
  // told, and undo brings both back.
  p.choose("sex");
  p.moveTo(0);
  selection->select(p.cells()->index(0, 0),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  p.click("cmdVarDropIncl");
  EXPECT_EQ(p.var("sex").Elimination, "YES");
  EXPECT_TRUE(
      p.asked("The value \"men\" that eliminated \"sex\" was deleted.\n"
              "ELIMINATION is now YES: the values are summed."));
  EXPECT_EQ(p.get<QComboBox>("cmbElimination")->currentText(), "YES");
  p.history()->undo();
  EXPECT_EQ(p.var("sex").Elimination, "men");
  EXPECT_EQ(p.get<QComboBox>("cmbElimination")->currentText(), "men");
}

TEST(VariablesPage, ATableHasAtMostOneTimeAndOnePartitionedVariable) {
  Page p;
  p.choose("region");
  EXPECT_FALSE(p.get<QCheckBox>("chkTimeVal")->isEnabled());  // year is the time variable
  EXPECT_TRUE(p.get<QCheckBox>("chkPartitioned")->isEnabled());
  p.click("chkPartitioned");
  EXPECT_TRUE(p.shown("frmPartitioned"));
  p.choose("sex");
  EXPECT_FALSE(p.get<QCheckBox>("chkPartitioned")->isEnabled());
  EXPECT_FALSE(p.shown("frmPartitioned"));
  p.choose("year");
  EXPECT_TRUE(p.get<QCheckBox>("chkTimeVal")->isEnabled());
  p.click("chkTimeVal");
  p.choose("sex");
  EXPECT_TRUE(p.get<QCheckBox>("chkTimeVal")->isEnabled());

  // A position that is not a number is not taken; the box keeps what was typed.
  p.choose("region");
  p.type("txtPartNumber", "3");
  const int steps = p.history()->count();
  p.type("txtPartNumber", "x");
  EXPECT_EQ(p.var("region").PartNumber, 3);
  EXPECT_EQ(p.get<QLineEdit>("txtPartNumber")->text(), "x");
  EXPECT_EQ(p.history()->count(), steps);
}

TEST(VariablesPage, RenameAndReorderValuesRunTheirDialogs) {
  Page p;
  p.choose("region");
  // An empty name is refused by the dialog: nothing changes.
  p.answer = [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("Text1")->setText("  ");
    dialog.accept();
  };
  p.click("cmdRenameDim");
  EXPECT_TRUE(p.asked("Name must be given"));
  EXPECT_EQ(p.var("region").name, "region");
  EXPECT_FALSE(p.editor->isChanged());

  p.answer = [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("Text1")->setText("area");
    dialog.accept();
  };
  p.click("cmdRenameDim");
  ASSERT_TRUE(p.doc().Get_Dimension("area"));
  EXPECT_EQ(p.tree()->currentItem()->text(0), "area");
  p.history()->undo();
  EXPECT_EQ(p.tree()->currentItem()->text(0), "region");

  // Values are reordered only without data; Cancel changes nothing.
  p.doc().GridHasData = false;
  p.choose("sex");
  p.choose("region");
  ASSERT_TRUE(p.get<QPushButton>("cmdReorderValue")->isEnabled());
  p.answer = [](QDialog& dialog) { dialog.reject(); };
  p.click("cmdReorderValue");
  EXPECT_EQ(p.cell(0, 1), "North");
  EXPECT_FALSE(p.editor->isChanged());

  p.answer = [](QDialog& dialog) {
    auto* from = dialog.findChild<QListWidget*>("List1");
    from->setCurrentRow(2);
    dialog.findChild<QPushButton*>("cmdMoveTo")->click();
    dialog.findChild<QPushButton*>("cmdMoveRest")->click();
    dialog.findChild<QPushButton*>("cmdOk")->click();
  };
  p.click("cmdReorderValue");
  EXPECT_EQ(p.value("region", 1).value, "East");
  EXPECT_EQ(p.cell(0, 1), "East");
  EXPECT_EQ(p.cell(2, 1), "South");
}

TEST(VariablesPage, VisitingEveryVariableAndValueLeavesTheTableUnchanged) {
  Page p;
  for (const char* name : {"region", "sex", "year"}) {
    p.choose(name);
    p.click("chkDomain");  // shows the empty box; clicking a variable must not empty a field
    for (int row = 0; row < p.cells()->rowCount(); ++row) p.moveTo(row);
  }
  p.choose("Stub");
  // The right button opens the Edit menu over the value grid.
  p.choose("region");
  emit p.grid()->customContextMenuRequested({5, 5});
  QMenu* edit = p.editor->editMenu();
  EXPECT_TRUE(edit->isVisible());
  edit->close();
  EXPECT_FALSE(p.editor->isChanged());
  test::EditorWindowFrame::close(p.editor);
  EXPECT_TRUE(p.prompt.asked.empty());
}
