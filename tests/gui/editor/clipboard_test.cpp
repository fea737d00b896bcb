// Copy and Paste in the editor window as a user gives them, from the Edit menu or the
// toolbar: on the focused text box, data grid, value grid or work sheet, each paste into
// the table one step.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

#include "gui/editor/data_grid_view.h"
#include "core/editor/variable_commands.h"
#include "support/editor_window_frame.h"
#include "support/tables.h"

using namespace zendra;

namespace {

// Region by sex down (6 data rows from row 3, labels in columns 1 and 2), two years
// across (columns 3 and 4).
constexpr const char* kTable =
    "CHARSET=\"ANSI\";\r\nMATRIX=\"CP01\";\r\nSUBJECT-AREA=\"Test\";\r\nSUBJECT-CODE=\"T\";\r\n"
    "TITLE=\"People by region, sex and year\";\r\nCONTENTS=\"People\";\r\nUNITS=\"number\";\r\n"
    "DECIMALS=0;\r\nSTUB=\"region\",\"sex\";\r\nHEADING=\"year\";\r\n"
    "VALUES(\"region\")=\"North\",\"South\",\"East\";\r\nVALUES(\"sex\")=\"men\",\"women\";\r\n"
    "VALUES(\"year\")=\"2020\",\"2021\";\r\n"
    "DATA=\r\n1 2\r\n3 4\r\n5 6\r\n7 8\r\n9 10\r\n11 12;\r\n";

struct Window : test::EditorWindowFrame {
  frmCreateVq* editor = nullptr;

  Window() {
    window->show();
    editor = openText(kTable);
    QApplication::setActiveWindow(window.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  CellGrid& grid() { return editor->dataGrid(); }
  QAction* action(const char* name) { return editor->findChild<QAction*>(name); }
  // The data grid on its page, with a block selected (one cell: the current cell).
  DataGridView* dataGrid(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2) {
    editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    DataGridView* view = editor->SprData();
    select(view->mainView(), r1, c1, r2, c2);
    view->mainView()->setFocus();
    return view;
  }
  static void select(QTableView* view, int r1, int c1, int r2, int c2) {
    QAbstractItemModel* m = view->model();
    view->selectionModel()->setCurrentIndex(m->index(r1 - 1, c1 - 1),
                                            QItemSelectionModel::ClearAndSelect);
    view->selectionModel()->select(
        QItemSelection(m->index(r1 - 1, c1 - 1), m->index(r2 - 1, c2 - 1)),
        QItemSelectionModel::ClearAndSelect);
  }
  // Opens the Edit menu's enabling as the menu does when it opens.
  std::pair<bool, bool> copyPasteEnabled() {
    emit editor->editMenu()->aboutToShow();
    return {action("MnuECopy")->isEnabled(), action("MnuEPaste")->isEnabled()};
  }
  void paste(const char* text) {
    QGuiApplication::clipboard()->setText(text);
    action("MnuEPaste")->trigger();
  }
  std::string data(std::int32_t row1, std::int32_t row2) {
    return test::gridRows(grid(), row1, row2, true);
  }
};

}  // namespace

TEST(Clipboard, ABlockAtOneCellFillsWithoutAQuestionAndUndoPutsItBack) {
  Window w;
  const std::string before = w.data(3, 8);
  w.dataGrid(4, 3, 4, 3);
  // From a spreadsheet: tabs, CR LF and no final line feed.
  w.paste("21\t22\r\n23\t..\r\n25\t26");
  EXPECT_TRUE(w.prompt.asked.empty());
  EXPECT_EQ(w.data(3, 6),
            "North|men|#1|#2\nNorth|women|#21|#22\nSouth|men|#23|..\nSouth|women|#25|#26\n");
  EXPECT_TRUE(w.editor->isChanged());
  EXPECT_EQ(w.editor->undoStack()->count(), 1);  // one step for the whole block
  w.editor->undoStack()->undo();
  EXPECT_EQ(w.data(3, 8), before);
  EXPECT_FALSE(w.editor->isChanged());
  // The same block with a final line feed pastes the same.
  w.paste("21\t22\n23\t..\n25\t26\n");
  EXPECT_EQ(w.data(4, 6), "North|women|#21|#22\nSouth|men|#23|..\nSouth|women|#25|#26\n");
}

TEST(Clipboard, ASelectionOfAnotherSizeAsksWithTheSizesAndNoLeavesTheGrid) {
  Window w;
  const std::string before = w.data(3, 8);
  w.dataGrid(3, 3, 4, 4);
  w.prompt.script(Prompt::Answer::No);
  w.paste("21\t22\n23\t24\n25\t26\n");
  EXPECT_TRUE(w.asked(
      "Selected area does not fit clipboard \nSelected : 2 Rows 2 Columns\nClipboard: 3 Rows 2 "
      "Columns\nContinue?"));
  EXPECT_EQ(w.data(3, 8), before);
  EXPECT_FALSE(w.editor->isChanged());

  w.prompt.script(Prompt::Answer::Yes);
  w.paste("21\t22\n23\t24\n25\t26\n");
  EXPECT_EQ(w.data(3, 5), "North|men|#21|#22\nNorth|women|#23|#24\nSouth|men|#5|#6\n");
}

TEST(Clipboard, LabelCellsTakeNoPasteAndTheLeftOutPartIsTold) {
  Window w;
  const std::string labels = w.data(1, 2);
  w.dataGrid(2, 2, 2, 2);
  w.paste("a\tb\tc\nd\t31\t32\n");
  EXPECT_EQ(w.data(1, 2), labels);
  EXPECT_EQ(w.data(3, 3), "North|men|#31|#32\n");
  EXPECT_TRUE(w.asked(
      "Only data cells take a paste: 1 row and 1 column of the clipboard were left out."));
  // Only what was left out is named, in its number.
  for (const auto& [column, told] :
       {std::pair{2, "Only data cells take a paste: 1 column of the clipboard was left out."},
        std::pair{1, "Only data cells take a paste: 2 columns of the clipboard were left out."}}) {
    w.dataGrid(4, column, 4, column);
    w.paste(column == 2 ? "x\t41\t42\n" : "x\ty\t41\t42\n");
    EXPECT_EQ(w.prompt.asked.back().text, told);
    EXPECT_EQ(w.data(4, 4), "North|women|#41|#42\n");
  }

  // Whole columns selected: a beep, nothing pasted, nothing asked.
  const std::string now = w.data(1, 8);
  const auto asked = w.prompt.asked.size();
  DataGridView* view = w.dataGrid(1, 3, 8, 3);
  EXPECT_EQ(view->selectedBlock().row1, -1);
  w.paste("1\n");
  EXPECT_EQ(w.data(1, 8), now);
  EXPECT_EQ(w.prompt.asked.size(), asked);
}

TEST(Clipboard, ACellBeingTypedIsStoredBeforeThePaste) {
  Window w;
  DataGridView* view = w.dataGrid(7, 3, 7, 3);
  QTest::keyClick(view->mainView(), '9');
  QLineEdit* cell = view->findChild<QLineEdit*>();
  ASSERT_TRUE(cell && view->isEditing());
  QTest::keyClicks(cell, "9");
  w.paste("41\t42\n");
  EXPECT_EQ(w.data(7, 7), "East|men|#41|#42\n");
  // The typed number was a step of its own before the paste: undo finds it.
  ASSERT_EQ(w.editor->undoStack()->count(), 2);
  w.editor->undoStack()->undo();
  EXPECT_EQ(w.data(7, 7), "East|men|#99|#10\n");
}

TEST(Clipboard, CopyOfADataBlockGivesTheTextAPasteReadsBack) {
  Window w;
  w.dataGrid(3, 2, 4, 4);
  w.action("MnuECopy")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "men\t1\t2\nwomen\t3\t4\n");
  // The toolbar's Copy and Paste act on the active editor's focused control, and the
  // buttons do not take the focus.
  w.dataGrid(5, 3, 6, 4);
  QToolBar* toolbar = w.window->toolbar();
  QAction* copy = toolbar->findChild<QAction*>("Copy");
  QAction* paste = toolbar->findChild<QAction*>("Paste");
  EXPECT_EQ(toolbar->widgetForAction(copy)->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(toolbar->widgetForAction(paste)->focusPolicy(), Qt::NoFocus);
  copy->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "5\t6\n7\t8\n");
  w.dataGrid(3, 3, 3, 3);
  paste->trigger();
  EXPECT_EQ(w.data(3, 4), "North|men|#5|#6\nNorth|women|#7|#8\n");
  EXPECT_TRUE(w.editor->isChanged());
}

TEST(Clipboard, TextBoxesPasteAsTypingAndReadOnlyBoxesTakeNone) {
  Window w;
  w.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  auto* matrix = w.editor->findChild<QLineEdit*>("txtMatrix");
  matrix->setFocus();
  matrix->selectAll();
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(true, true));
  w.action("MnuECopy")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "CP01");
  w.paste("NEW01");
  EXPECT_EQ(w.editor->document().Matrix, "NEW01");
  EXPECT_TRUE(w.editor->isChanged());
  w.editor->undoStack()->undo();
  EXPECT_EQ(w.editor->document().Matrix, "CP01");
  EXPECT_FALSE(w.editor->isChanged());

  // The file text and the test report are read-only: Paste is off and does nothing.
  for (const auto& [page, name] : {std::pair{frmCreateVq::ActualFile, "RichTextBox1"},
                                   std::pair{frmCreateVq::Test, "txtTestData"}}) {
    w.editor->tabs()->setCurrentIndex(page);
    auto* box = w.editor->findChild<QTextEdit*>(name);
    box->setFocus();
    const QString text = box->toPlainText();
    EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(true, false)) << name;
    w.paste("pasted");
    EXPECT_EQ(box->toPlainText(), text) << name;
    EXPECT_FALSE(w.editor->isChanged()) << name;
  }

  // A control that is neither a box nor a grid: both are off.
  w.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  w.editor->findChild<QCheckBox*>("chkAutoOpen")->setFocus();
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(false, false));
  w.dataGrid(3, 3, 3, 3);
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(true, true));
}

TEST(Clipboard, TheValueGridTakesAColumnOfNewValuesAndTurnsAWideLine) {
  Window w;
  w.editor->tabs()->setCurrentIndex(frmCreateVq::Variables);
  auto* tree = w.editor->findChild<QTreeWidget*>("VarTree");
  tree->setCurrentItem(tree->findItems("year", Qt::MatchExactly | Qt::MatchRecursive).front());
  auto* values = w.editor->findChild<QTableView*>("sprValues");
  values->setFocus();
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(true, true));
  DimensionData& year = *w.editor->document().Get_Dimension("year");

  // A column of five values from a spreadsheet, at the empty last row.
  values->setCurrentIndex(values->model()->index(2, 0));
  w.paste("2022\r\n2023\r\n2024\r\n2025\r\n2026\r\n");
  EXPECT_EQ(year.ValueCode.Count(), 7);
  EXPECT_EQ(year.ValueCode.Item(7)->value, "2026");
  EXPECT_EQ(w.grid().colCount(), 2 + 7);  // the data grid follows
  EXPECT_EQ(w.editor->undoStack()->count(), 1);

  // One line wider than the grid goes down its one column.
  values->setCurrentIndex(values->model()->index(0, 0));
  w.paste("a\tb\n");
  EXPECT_EQ(year.ValueCode.Item(1)->value, "a");
  EXPECT_EQ(year.ValueCode.Item(2)->value, "b");

  // Ragged lines that fit neither way are refused whole.
  w.paste("x\ny\tz\n");
  EXPECT_TRUE(w.asked("Contents of clipboard does not fit"));
  EXPECT_EQ(year.ValueCode.Item(1)->value, "a");

  // Copy takes the selected rows.
  values->selectRow(1);
  w.action("MnuECopy")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "b\n");
  w.editor->undoStack()->undo();
  w.editor->undoStack()->undo();
  EXPECT_EQ(year.ValueCode.Count(), 2);
  EXPECT_FALSE(w.editor->isChanged());
}

TEST(Clipboard, TheValueGridTakesOnlyTimeScalesIntoItsTimeTypeColumn) {
  Window w;
  w.editor->tabs()->setCurrentIndex(frmCreateVq::Variables);
  auto* tree = w.editor->findChild<QTreeWidget*>("VarTree");
  tree->setCurrentItem(tree->findItems("year", Qt::MatchExactly | Qt::MatchRecursive).front());
  w.editor->findChild<QCheckBox*>("chkTimeVal")->click();  // Value, TimeType, Time
  auto* values = w.editor->findChild<QTableView*>("sprValues");
  values->setFocus();
  values->setCurrentIndex(values->model()->index(0, 1));
  w.paste("Q1\t20201\nQ 1\t20211\n");  // a line a row
  w.paste("A1\tx\ty\n");               // turned: down the TimeType column
  ASSERT_EQ(w.prompt.asked.size(), 2u);
  EXPECT_EQ(w.prompt.asked[0].text.rfind("\"Q 1\" is no time type.", 0), 0u);
  EXPECT_EQ(w.prompt.asked[1].text.rfind("\"x\" is no time type.", 0), 0u);
  EXPECT_EQ(w.editor->document().Get_Dimension("year")->ValueCode.Item(1)->TimeCode, "");
}

TEST(Clipboard, TheWorkSheetTakesAPasteThatIsNoChangeOfTheTable) {
  Window w;
  w.editor->tabs()->setCurrentIndex(frmCreateVq::WorkSheet);
  auto* work = w.editor->findChild<DataGridView*>("sprWork");
  work->mainView()->setFocus();
  w.select(work->mainView(), 2, 2, 2, 2);
  w.paste("a\tb\nc\t1\n");
  const CellGrid& sheet = *work->grid();
  EXPECT_EQ(sheet.text(2, 2) + sheet.text(2, 3) + sheet.text(3, 2) + sheet.text(3, 3), "abc1");
  EXPECT_FALSE(w.editor->isChanged());
  w.select(work->mainView(), 2, 2, 3, 3);
  w.action("MnuECopy")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "a\tb\nc\t1\n");
}

TEST(Clipboard, CtrlCAndCtrlVRunTheMenusCopyAndPasteInEveryGrid) {
  Window w;
  EXPECT_EQ(w.action("MnuECopy")->shortcut(), QKeySequence(QKeySequence::Copy));
  EXPECT_EQ(w.action("MnuEPaste")->shortcut(), QKeySequence(QKeySequence::Paste));
  // The data grid: the whole block, then a paste that asks as the menu's does, one step.
  QTableView* data = w.dataGrid(3, 2, 4, 4)->mainView();
  QTest::keyClick(data, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "men\t1\t2\nwomen\t3\t4\n");
  w.dataGrid(5, 3, 5, 3);
  QGuiApplication::clipboard()->setText("21\t22\n23\t24\n");
  QTest::keyClick(data, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(w.data(5, 6), "South|men|#21|#22\nSouth|women|#23|#24\n");
  EXPECT_EQ(w.editor->undoStack()->count(), 1);
  w.dataGrid(3, 3, 4, 4);
  w.prompt.script(Prompt::Answer::No);
  QGuiApplication::clipboard()->setText("1\t2\t3\n");
  QTest::keyClick(data, Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(w.asked(
      "Selected area does not fit clipboard \nSelected : 2 Rows 2 Columns\nClipboard: 1 Rows 3 "
      "Columns\nContinue?"));
  EXPECT_EQ(w.editor->undoStack()->count(), 1);

  // The value grid: the keys copy and paste its values as the menu does.
  w.editor->tabs()->setCurrentIndex(frmCreateVq::Variables);
  auto* tree = w.editor->findChild<QTreeWidget*>("VarTree");
  tree->setCurrentItem(tree->findItems("year", Qt::MatchExactly | Qt::MatchRecursive).front());
  auto* values = w.editor->findChild<QTableView*>("sprValues");
  values->setFocus();
  values->setCurrentIndex(values->model()->index(1, 0));
  w.action("MnuECopy")->trigger();
  const QString byMenu = QGuiApplication::clipboard()->text();
  EXPECT_FALSE(byMenu.isEmpty());
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(values, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), byMenu);
  values->setCurrentIndex(values->model()->index(2, 0));
  QGuiApplication::clipboard()->setText("2022\n");
  QTest::keyClick(values, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(w.editor->document().Get_Dimension("year")->ValueCode.Count(), 3);
  // An opened menu that showed the items off leaves the keys working.
  emit w.editor->editMenu()->aboutToShow();
  emit w.editor->editMenu()->aboutToHide();
  QTest::keyClick(data, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(w.action("MnuECopy")->isEnabled());
}

TEST(EditorWindowLayout, AStepThatLaysTheGridOutAnewKeepsTheCurrentCellOnItsValues) {
  Window w;
  // South, women, 2021: data row 3 + (1 * 2 + 1), column 3 + 1.
  w.dataGrid(6, 4, 6, 4);
  ASSERT_EQ(w.grid().currentRow(), 6);
  // A stub variable added at the end splits every row: the cell moves with its values.
  w.editor->push(std::make_unique<AddVariableCommand>(
      w.editor->document(), w.grid(), 0, *test::variableWith({"young", "old"}, "age"), false));
  w.editor->refreshDataGrid();
  const VexaMess& doc = w.editor->document();
  EXPECT_EQ(w.grid().currentRow(), doc.DataRow1 + 6);
  EXPECT_EQ(w.grid().currentCol(), doc.DataCol1 + 1);
  const QModelIndex shown = w.editor->SprData()->mainView()->currentIndex();
  EXPECT_EQ(shown.row() + 1, doc.DataRow1 + 6);
  EXPECT_EQ(shown.column() + 1, doc.DataCol1 + 1);
  // Its undo and redo move it back and forth with the layout.
  w.editor->undoStack()->undo();
  EXPECT_EQ(w.grid().currentRow(), 6);
  EXPECT_EQ(w.grid().currentCol(), 4);
  w.editor->undoStack()->redo();
  EXPECT_EQ(w.grid().currentRow(), doc.DataRow1 + 6);
  EXPECT_EQ(w.grid().currentCol(), doc.DataCol1 + 1);
}
