// The editor window's edit steps as a user gives them. Copy and Paste from the Edit menu,
// the toolbar or Ctrl+C and Ctrl+V on the focused text box, data grid, value grid or work
// sheet; Fill empty cells and Convert to Keys format with the check and the questions
// before them; each one step. The undo history: the memory bound drops the oldest steps
// and keeps the saved state where it can, a step that cannot be undone clears it, a step
// that changes nothing is not kept, and the grid's layout and decimals change only inside
// steps. The data grid widget on its own, driven through the keyboard: editing and
// converting cells, moving with Enter, the Delete key, the keys form's entry row, the
// model's roles and the frozen panes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>
#include <QUndoStack>

#include "core/editor/field_commands.h"
#include "core/editor/variable_commands.h"
#include "core/format/completeness.h"
#include "core/grid/data_methods.h"
#include "gui/editor/data_grid_view.h"
#include "gui/editor/grid_model.h"
#include "gui/editor/undo_history.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/tables.h"

using namespace zendra;
using test::gridRows;
using At = std::pair<int, int>;

namespace {

// Region by sex down (6 data rows from row 3, labels in columns 1 and 2), two years
// across (columns 3 and 4), with these DATA lines.
std::string table(const std::string& data = "1 2\r\n3 4\r\n5 6\r\n7 8\r\n9 10\r\n11 12") {
  return "CHARSET=\"ANSI\";\r\nMATRIX=\"CP01\";\r\nSUBJECT-AREA=\"Test\";\r\n"
         "SUBJECT-CODE=\"T\";\r\nTITLE=\"People by region, sex and year\";\r\n"
         "CONTENTS=\"People\";\r\nUNITS=\"number\";\r\n"
         "DECIMALS=0;\r\nSTUB=\"region\",\"sex\";\r\nHEADING=\"year\";\r\n"
         "VALUES(\"region\")=\"North\",\"South\",\"East\";\r\n"
         "VALUES(\"sex\")=\"men\",\"women\";\r\nVALUES(\"year\")=\"2020\",\"2021\";\r\n"
         "DATA=\r\n" +
         data + ";\r\n";
}
// Its data cells as Window::data() shows them.
constexpr const char* kData = "#1 #2/#3 #4/#5 #6/#7 #8/#9 #10/#11 #12";

struct Window : test::EditorWindowFrame {
  frmCreateVq* editor = nullptr;

  // The table above, or a file of this text.
  explicit Window(const std::string& text = table()) {
    window->show();
    editor = openText(text);
    editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    QApplication::setActiveWindow(window.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  CellGrid& grid() { return editor->dataGrid(); }
  QUndoStack* steps() { return editor->undoStack(); }
  QAction* action(const char* name) { return editor->findChild<QAction*>(name); }
  // The data grid on its page with the focus and a block selected (one cell: the current).
  QTableView* dataGrid(int r1, int c1, int r2, int c2) {
    editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    QTableView* view = editor->SprData()->mainView();
    select(view, r1, c1, r2, c2);
    view->setFocus();
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
  // The value grid showing a variable's values, with the focus.
  QTableView* valueGrid(const char* variable) {
    editor->tabs()->setCurrentIndex(frmCreateVq::Variables);
    auto* tree = editor->findChild<QTreeWidget*>("VarTree");
    tree->setCurrentItem(tree->findItems(variable, Qt::MatchExactly | Qt::MatchRecursive).front());
    auto* values = editor->findChild<QTableView*>("sprValues");
    values->setFocus();
    return values;
  }
  // Copy and Paste enabled as the Edit menu works them out when it opens.
  std::pair<bool, bool> copyPasteEnabled() {
    emit editor->editMenu()->aboutToShow();
    return {action("MnuECopy")->isEnabled(), action("MnuEPaste")->isEnabled()};
  }
  // By the Edit menu, or by the keys on the focused control.
  QString copy(bool keys = false) {
    QGuiApplication::clipboard()->clear();
    if (keys) QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    if (!keys) action("MnuECopy")->trigger();
    return QGuiApplication::clipboard()->text();
  }
  void paste(const char* text, bool keys = false) {
    QGuiApplication::clipboard()->setText(text);
    if (keys) QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    if (!keys) action("MnuEPaste")->trigger();
  }
  // The data cells, numbers after a "#", " " between cells and "/" between rows.
  std::string data() {
    std::string out;
    for (int r = 3; r <= 8; ++r) {
      for (int c = 3; c <= 4; ++c) {
        const bool number = grid().kind(r, c) == CellKind::Number;
        out += (number ? "#" : "") + grid().text(r, c) + (c == 3 ? " " : "/");
      }
    }
    out.pop_back();
    return out;
  }
};

std::string dataOf(const std::string& file) {
  const std::string bytes = test::TempFolder::read(file);
  return bytes.substr(bytes.find("DATA="));
}

// Appends its name to a log when done and takes it off when undone; holds `bytes`. With
// `kind` 'u' it cannot be undone; with 'n' it finds out only when done that it changes
// nothing, as a step with a refused name does.
struct Step : Command {
  Step(std::string& log, char name, std::size_t bytes, char kind = ' ')
      : log_(log), name_(name), bytes_(bytes), kind_(kind) {}
  void redo() override {
    if (kind_ == 'n') done_ = true;
    if (kind_ != 'n') log_ += name_;
  }
  void undo() override { log_.pop_back(); }
  std::string text() const override { return std::string(1, name_); }
  std::size_t memoryBytes() const override { return bytes_; }
  bool undoable() const override { return kind_ != 'u'; }
  bool changesNothing() const override { return kind_ == 'n' && done_; }

  std::string& log_;
  char name_;
  std::size_t bytes_;
  char kind_;
  bool done_ = false;
};

// Region (3) by sex (2) by year (2): label rows 2-3, label column 1, data rows 4-6 and
// columns 2-5; or, in the keys form, region and sex as key columns 1-2 and the value in
// column 3 from row 3 on.
struct Table {
  VexaMess doc;
  CellGrid grid;
  DataGridView view;
  std::vector<std::unique_ptr<Command>> steps;  // what the view handed on, done

  explicit Table(bool keysForm = false) {
    test::addVariable(doc, "region", 0, {"North", "Middle", "South"});
    test::addVariable(doc, "sex", keysForm ? 0 : 1, {"men", "women"});
    if (!keysForm) test::addVariable(doc, "year", 1, {"2004", "2005"});
    doc.FileWithKeys = keysForm;
    doc.SaveDecimals = 2;
    EXPECT_TRUE(CreateGrid(doc, grid, true, false));
    view.setGrid(&grid, &doc);
    view.setCommandSink([this](std::unique_ptr<Command> step) {
      step->redo();
      steps.push_back(std::move(step));
    });
    view.resize(500, 300);
    view.show();
  }

  QTableView* main() const { return view.mainView(); }
  void go(int row, int col) { main()->setCurrentIndex(main()->model()->index(row - 1, col - 1)); }
  At at() const { return {main()->currentIndex().row() + 1, main()->currentIndex().column() + 1}; }
  QLineEdit* editor() const {
    for (auto* line : view.findChildren<QLineEdit*>()) {
      if (line->isVisibleTo(&view)) return line;
    }
    return nullptr;
  }
  // A key where the focus is: the open cell editor, else the grid.
  void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(editor() ? static_cast<QWidget*>(editor()) : main(), k, modifiers);
  }
  // Types into a cell the way a user does: the first character starts the edit.
  void type(int row, int col, const QString& text) {
    go(row, col);
    QTest::keyClick(main(), text.at(0).toLatin1());
    ASSERT_NE(editor(), nullptr);
    QTest::keyClicks(editor(), text.mid(1));
  }
  void enter(int row, int col, const QString& text) {
    type(row, col, text);
    key(Qt::Key_Return);
  }
};

}  // namespace

TEST(Clipboard, APasteIntoTheDataGridWritesOnlyDataCellsInOneStepThatUndoTakesBack) {
  const std::string fit = "Selected area does not fit clipboard \nSelected : 2 Rows 2 Columns\n";
  const std::string leftOut = "Only data cells take a paste: ";
  struct Case {
    const char* what;
    int r1, c1, r2, c2;  // the selection
    const char* text;
    bool keys, yes;  // Ctrl+V instead of the menu; Yes to the question
    const char* data;
    std::string told;  // the last question or message, "" none
  };
  const Case cases[] = {
      // From a spreadsheet: tabs, CR LF and no final line feed.
      {"a block at one cell", 4, 3, 4, 3, "21\t22\r\n23\t..\r\n25\t26", false, false,
       "#1 #2/#21 #22/#23 ../#25 #26/#9 #10/#11 #12", ""},
      {"another size, No", 3, 3, 4, 4, "21\t22\n23\t24\n25\t26\n", false, false, kData,
       fit + "Clipboard: 3 Rows 2 Columns\nContinue?"},
      {"another size, Yes: only inside the selection", 3, 3, 4, 4, "21\t22\n23\t24\n25\t26\n",
       false, true, "#21 #22/#23 #24/#5 #6/#7 #8/#9 #10/#11 #12",
       fit + "Clipboard: 3 Rows 2 Columns\nContinue?"},
      // Labels take nothing; only what was left out is named, in its number.
      {"at a label corner", 2, 2, 2, 2, "a\tb\tc\nd\t31\t32\n", false, false,
       "#31 #32/#3 #4/#5 #6/#7 #8/#9 #10/#11 #12",
       leftOut + "1 row and 1 column of the clipboard were left out."},
      {"at a label column, by the keys", 4, 2, 4, 2, "x\t41\t42\n", true, false,
       "#1 #2/#41 #42/#5 #6/#7 #8/#9 #10/#11 #12",
       leftOut + "1 column of the clipboard was left out."},
      // Whole columns selected: a beep, nothing pasted, nothing asked.
      {"whole columns", 1, 3, 8, 3, "1\n", false, true, kData, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window w;
    w.dataGrid(c.r1, c.c1, c.r2, c.c2);
    w.prompt.script(c.yes ? Prompt::Answer::Yes : Prompt::Answer::No);
    w.paste(c.text, c.keys);
    EXPECT_EQ(w.data(), c.data);
    EXPECT_EQ(w.prompt.asked.empty() ? "" : w.prompt.asked.back().text, c.told);
    EXPECT_EQ(w.steps()->count(), std::string(c.data) != kData);  // one step for the block
    w.steps()->undo();
    EXPECT_EQ(w.data(), kData);
  }
}

TEST(Clipboard, CopyGivesTheBlockATypedCellIsStoredFirstAndTextBoxesAndTheWorkSheetTakePastes) {
  Window w;
  // A cell being typed is a step of its own before the paste: undo finds it.
  QTest::keyClick(w.dataGrid(7, 3, 7, 3), '7');
  w.paste("41\t42\n");
  ASSERT_EQ(w.steps()->count(), 2);
  w.steps()->undo();
  EXPECT_EQ(w.data(), "#1 #2/#3 #4/#5 #6/#7 #8/#7 #10/#11 #12");
  w.steps()->undo();

  w.dataGrid(3, 2, 4, 4);
  EXPECT_EQ(w.copy(true).toStdString(), "men\t1\t2\nwomen\t3\t4\n");
  // The toolbar's buttons act on the active editor's focused control and take no focus.
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
  EXPECT_EQ(w.data(), "#5 #6/#7 #8/#5 #6/#7 #8/#9 #10/#11 #12");
  w.steps()->setIndex(0);

  // Text boxes paste as typing, read-only boxes take none, and the work sheet is no table.
  w.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  auto* matrix = w.editor->findChild<QLineEdit*>("txtMatrix");
  matrix->setFocus();
  matrix->selectAll();
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(true, true));
  EXPECT_EQ(w.copy(), "CP01");
  w.paste("NEW01");
  EXPECT_EQ(w.editor->document().Matrix, "NEW01");
  w.steps()->undo();

  // The file text (as the test report) is read-only: Paste is off and does nothing.
  w.editor->tabs()->setCurrentIndex(frmCreateVq::ActualFile);
  auto* box = w.editor->findChild<QTextEdit*>("RichTextBox1");
  box->setFocus();
  const QString text = box->toPlainText();
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(true, false));
  w.paste("pasted");
  EXPECT_EQ(box->toPlainText(), text);

  // A control that is neither a box nor a grid: both are off, and on again for the keys
  // once the menu closes.
  w.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  w.editor->findChild<QCheckBox*>("chkAutoOpen")->setFocus();
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(false, false));
  emit w.editor->editMenu()->aboutToHide();
  w.dataGrid(3, 3, 3, 3);
  EXPECT_EQ(w.copy(true), "1\n");

  // The work sheet takes a paste that is no change of the table.
  w.editor->tabs()->setCurrentIndex(frmCreateVq::WorkSheet);
  auto* work = w.editor->findChild<DataGridView*>("sprWork");
  work->mainView()->setFocus();
  w.select(work->mainView(), 2, 2, 2, 2);
  w.paste("a\tb\nc\t1\n");
  const CellGrid& sheet = *work->grid();
  EXPECT_EQ(sheet.text(2, 2) + sheet.text(2, 3) + sheet.text(3, 2) + sheet.text(3, 3), "abc1");
  EXPECT_FALSE(w.editor->isChanged());
  w.select(work->mainView(), 2, 2, 3, 3);
  EXPECT_EQ(w.copy(), "a\tb\nc\t1\n");
}

TEST(Clipboard, TheValueGridTakesAColumnOfNewValuesRefusesARaggedBlockAndChecksTimeTypes) {
  // (and a step that lays the grid out anew keeps the data grid's current cell on its values)
  Window w;
  QTableView* values = w.valueGrid("year");
  EXPECT_EQ(w.copyPasteEnabled(), std::make_pair(true, true));
  DimensionData& year = *w.editor->document().Get_Dimension("year");

  // A column of five values from a spreadsheet, at the empty last row, by the keys.
  values->setCurrentIndex(values->model()->index(2, 0));
  w.paste("2022\r\n2023\r\n2024\r\n2025\r\n2026\r\n", true);
  EXPECT_EQ(year.ValueCode.Count(), 7);
  EXPECT_EQ(w.grid().colCount(), 2 + 7);  // the data grid follows
  EXPECT_EQ(w.steps()->count(), 1);

  // Ragged lines that fit neither way are refused whole.
  values->setCurrentIndex(values->model()->index(0, 0));
  w.paste("x\ny\tz\n");
  EXPECT_TRUE(w.asked("Contents of clipboard does not fit"));
  EXPECT_EQ(w.steps()->count(), 1);

  // Copy takes the selected rows.
  values->selectionModel()->select(values->model()->index(1, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  EXPECT_EQ(w.copy(), "2021\n");
  w.steps()->undo();
  EXPECT_EQ(year.ValueCode.Count(), 2);

  // Only time scales go into the TimeType column.
  w.editor->findChild<QCheckBox*>("chkTimeVal")->click();  // Value, TimeType, Time
  values->setFocus();
  values->setCurrentIndex(values->model()->index(0, 1));
  w.paste("Q1\t20201\nQ 1\t20211\n");
  EXPECT_EQ(w.prompt.asked.back().text.rfind("\"Q 1\" is no time type.", 0), 0u);
  EXPECT_EQ(year.ValueCode.Item(1)->TimeCode, "");

  // A step that lays the grid out anew keeps the current cell on its values.
  const VexaMess& doc = w.editor->document();
  // The current cell in the grid and in the view.
  const auto current = [&] {
    const QModelIndex shown = w.editor->SprData()->mainView()->currentIndex();
    return std::vector{w.grid().currentRow(), w.grid().currentCol(), shown.row() + 1,
                       shown.column() + 1};
  };
  // South, women, 2021: data row 3 + (1 * 2 + 1), column 3 + 1.
  w.dataGrid(6, 4, 6, 4);
  // A stub variable added at the end splits every row: the cell moves with its values, and
  // undo and redo move it back and forth with the layout.
  w.editor->push(std::make_unique<AddVariableCommand>(
      w.editor->document(), w.grid(), 0, *test::variableWith({"young", "old"}, "age"), false));
  w.editor->refreshDataGrid();
  const std::vector moved{doc.DataRow1 + 6, doc.DataCol1 + 1, doc.DataRow1 + 6, doc.DataCol1 + 1};
  EXPECT_EQ(current(), moved);
  w.steps()->undo();
  EXPECT_EQ(current(), (std::vector{6, 4, 6, 4}));
  w.steps()->redo();
  EXPECT_EQ(current(), moved);
}

TEST(FillEmptyCells, AnUnfinishedTableIsToldWithoutTheDialog) {
  // A table without a laid-out grid: what it lacks (the Test page's text), instead of a
  // dialog whose OK did nothing.
  Window w("MATRIX=\"T1\";\r\nSTUB=\"region\";\r\n");
  std::string lacks = Test_Complete(w.editor->document(), &w.grid());
  std::erase(lacks, '\r');
  w.answer = [](QDialog&) { ADD_FAILURE() << "a dialog"; };
  w.action("mnuFillEmpty")->trigger();
  ASSERT_EQ(w.prompt.asked.size(), 1u);
  EXPECT_EQ(w.prompt.asked[0].text, lacks);
}

TEST(FillEmptyCells, ZeroFillsAPendingEditFirstAndUndoes) {
  Window w(table("1 \"\"\r\n\"\" 4\r\n5 6\r\n7 8\r\n9 10\r\n11 12"));
  // A number still being typed into an empty cell is stored before the check.
  QTableView* view = w.dataGrid(3, 4, 3, 4);
  QTest::keyClick(view, '9');
  w.answer = [](QDialog& dialog) {  // 0, "Fill empty cells" as the dialog starts
    dialog.findChild<QRadioButton*>("Option1_3")->click();
    dialog.findChild<QPushButton*>("cmdOk")->click();
  };
  w.action("mnuFillEmpty")->trigger();
  EXPECT_EQ(w.data(), "#1 #9/#0 #4/#5 #6/#7 #8/#9 #10/#11 #12");
  EXPECT_EQ(w.steps()->count(), 2);  // the typing, then the fill
  w.steps()->undo();
  EXPECT_TRUE(w.grid().isEmpty(4, 3));
  EXPECT_EQ(w.grid().text(3, 4), "9");
}

TEST(ConvertToKeys, QuestionsThenOneStepThatUndoShowsBackAndASaveKeepsEveryConvertedRow) {
  Window w(table("5 0\r\n0 0\r\n\"..\" \"-\"\r\n\"\" 7\r\n\"\" \"\"\r\n\"\" \"\""));
  // The form as the window shows it: keys form, steps and changed; the item Convert; the
  // heading's controls; the grid.
  const auto form = [&] {
    std::string out = std::to_string(w.editor->document().FileWithKeys) +
                      std::to_string(w.steps()->count()) + std::to_string(w.editor->isChanged()) +
                      " " + std::to_string(w.action("mnuConvertToKEys")->isVisible());
    w.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
    out += std::to_string(w.editor->findChild<QWidget*>("cmdAddHead")->isVisible());
    w.editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    return out + "\n" + gridRows(w.grid(), 3);
  };
  const std::string before = form();
  // No to the question about the cells not kept changes nothing.
  w.prompt.script(Prompt::Answer::Yes);
  w.prompt.script(Prompt::Answer::No);
  w.action("mnuConvertToKEys")->trigger();
  EXPECT_EQ(form(), before);
  EXPECT_TRUE(
      w.asked("4 non-empty cells will not be kept in the keys form: only the rows that "
              "hold a number other than 0 are kept.\n\nConvert to Keys format?"));

  w.prompt.script(Prompt::Answer::No);  // to "Keep head dimensions"
  w.prompt.script(Prompt::Answer::Yes);
  w.action("mnuConvertToKEys")->trigger();
  // One step; the heading controls hide while the keys-form table holds data.
  EXPECT_EQ(form(), "111 00\nNorth|men|2020|5\nSouth|women|2021|7\n|||\n");
  w.steps()->undo();
  EXPECT_EQ(form(), "01" + before.substr(2));  // the step undone: as before, unchanged

  // Saved and read back, the converted table keeps every row (it lost the last before).
  w.steps()->redo();
  frmCreateVq* back = w.open(w.saveAs(w.editor, "keys.vq"));
  ASSERT_TRUE(back);
  EXPECT_EQ(gridRows(back->dataGrid(), 3), "North|men|2020|5\nSouth|women|2021|7\n|||\n");
}

TEST(UndoLayout, ShowingTheDataPageBetweenStepsLosesNoCellOnUndo) {
  // Delete every value of a variable, remove the variable, show the Data page (which once
  // laid the grid out outside the history), undo both steps and save.
  Window w;
  const std::string original = dataOf(w.saveAs(w.editor, "before.vq"));
  const int saved = w.steps()->index();
  w.valueGrid("sex")->selectAll();
  w.editor->findChild<QPushButton*>("cmdVarDropIncl")->click();
  w.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  auto* stub = w.editor->findChild<QListWidget*>("lstStub");
  stub->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
  w.editor->findChild<QPushButton*>("cmdRemoveStub")->click();
  w.editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  ASSERT_EQ(w.steps()->index(), saved + 2);
  w.steps()->setIndex(saved);
  EXPECT_EQ(dataOf(w.saveAs(w.editor, "after.vq")), original);
}

TEST(UndoLayout, DecimalsReachTheCellsInTheirOwnStep) {
  Window w(
      "MATRIX=\"D\";\r\nCONTENTS=\"c\";\r\nDECIMALS=2;\r\nSTUB=\"r\";\r\nHEADING=\"s\";\r\n"
      "VALUES(\"r\")=\"a\",\"b\";\r\nVALUES(\"s\")=\"x\";\r\nDATA=\r\n1.25\r\n4325.76;\r\n");
  // Never showing the Data page: the first save after the change already writes the
  // cells with the new decimals.
  w.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  test::chooseText(w.editor->findChild<QComboBox*>("cmbDecimals"), "1");
  EXPECT_EQ(dataOf(w.saveAs(w.editor, "one.vq")), "DATA=\r\n1.3 \r\n4325.8 ;");
  w.steps()->undo();
  EXPECT_EQ(dataOf(w.saveAs(w.editor, "two.vq")), "DATA=\r\n1.25 \r\n4325.76 ;");
}

TEST(UndoHistory, TheBudgetDropsTheOldestStepsAStepThatChangesNothingOrCannotBeUndoneIsNotKept) {
  std::string log;
  UndoHistory history(nullptr, 100);
  QUndoStack* stack = history.stack();
  QSignalSpy restored(&history, &UndoHistory::tableRestored);
  history.push(std::make_unique<Step>(log, 'a', 40));
  history.push(std::make_unique<Step>(log, 'b', 40));
  stack->setClean();                                   // saved after b
  history.push(std::make_unique<Step>(log, 'c', 40));  // 120 bytes: a goes
  EXPECT_EQ(history.bytes(), 80u);
  stack->undo();  // back to the saved state
  EXPECT_TRUE(stack->isClean());
  EXPECT_EQ(restored.count(), 1);
  stack->redo();

  // The saved state itself is dropped: no undo can reach it any more.
  history.push(std::make_unique<Step>(log, 'd', 90));
  EXPECT_EQ(stack->count(), 1);
  stack->undo();
  EXPECT_FALSE(stack->isClean());
  EXPECT_EQ(log, "abc");
  stack->redo();
  stack->setClean();
  // A step that turns out to change nothing only when done.
  history.push(std::make_unique<Step>(log, 'r', 0, 'n'));
  EXPECT_EQ(stack->count(), 1);
  EXPECT_TRUE(stack->isClean());
  // A choice of the same value (typing back to the start is the page tests' TypingInABox).
  std::string field = "old";
  history.push(std::make_unique<SetTextCommand>(
      "Choice", std::vector<SetTextCommand::Change>{{nullptr, &field, "old"}}));
  EXPECT_EQ(stack->count(), 1);

  // A step that cannot be undone is done and leaves no history, but a change until the
  // table is saved.
  EXPECT_FALSE(history.push(std::make_unique<Step>(log, 'h', 1, 'u')));
  EXPECT_EQ(log, "abcdh");
  EXPECT_EQ(stack->count(), 0);
  EXPECT_FALSE(stack->isClean());
}

TEST(DataGridViewEditing, TypedTextIsConvertedOnlyWhenChangedEnterMovesOnLabelsAreLockedAndDelete) {
  Table t;
  t.enter(4, 2, "12.5");
  EXPECT_EQ(At(t.grid.currentRow(), t.grid.currentCol()), At(4, 3));  // Enter moves right
  t.enter(4, 3, "...");
  EXPECT_EQ(gridRows(t.grid, 4, 4, true), "North|#12.50|...||\n");
  t.enter(4, 5, "1");
  EXPECT_EQ(t.at(), At(5, 2));  // then to the next row's first data column

  // Entering and leaving without typing keeps the number as it was (not as shown) and
  // is no step of the table.
  t.grid.setNumber(5, 2, 7.256, 2);
  t.go(5, 2);
  t.key(Qt::Key_F2);
  t.key(Qt::Key_Return);
  EXPECT_DOUBLE_EQ(t.grid.number(5, 2), 7.256);
  EXPECT_EQ(t.steps.size(), 3u);

  // F2 keeps the text with the cursor behind it; Escape drops what was typed.
  t.go(5, 2);
  t.key(Qt::Key_F2);
  QTest::keyClicks(t.editor(), "1");
  t.key(Qt::Key_Return);
  t.type(5, 2, "99");
  t.key(Qt::Key_Escape);
  EXPECT_DOUBLE_EQ(t.grid.number(5, 2), 7.261);

  // commitEdit stores the open editor's text and does not move; with none open it does
  // nothing. Tab stores and moves.
  t.view.commitEdit();
  t.type(5, 2, "3.75");
  t.view.commitEdit();
  EXPECT_EQ(gridRows(t.grid, 5, 5, true), "Middle|#3.75|||\n");
  EXPECT_EQ(t.at(), At(5, 2));
  t.type(5, 2, "1");
  t.key(Qt::Key_Tab);
  EXPECT_EQ(t.at(), At(5, 3));
  t.go(6, 5);
  t.key(Qt::Key_Return);  // the last cell stays
  EXPECT_EQ(t.at(), At(6, 5));

  // Locked labels refuse edits, and unprotected, a frozen cell is edited in its overlay.
  t.go(5, 1);
  t.key(Qt::Key_F2);
  QTest::keyClick(t.main(), 'S');  // no editor, and no jump to "South"
  EXPECT_EQ(t.editor(), nullptr);
  EXPECT_EQ(t.at(), At(5, 1));

  t.grid.setProtected(false);
  t.view.refresh();
  t.type(5, 1, "Centre");
  QWidget* pane = t.editor()->parentWidget()->parentWidget();
  EXPECT_TRUE(pane != t.main() && pane->parentWidget() == t.main());
  t.key(Qt::Key_Return);
  EXPECT_EQ(t.grid.kind(5, 1), CellKind::Text);  // labels are not converted
  t.grid.setProtected(true);
  t.view.refresh();

  // Delete clears the selected block but not the locked labels, in one step.
  for (int r = 4; r <= 6; ++r) {
    for (int c = 2; c <= 5; ++c) t.grid.setNumber(r, c, r * 10 + c, 0);
  }
  auto* model = t.main()->model();
  t.main()->selectionModel()->select(QItemSelection(model->index(3, 1), model->index(5, 3)),
                                     QItemSelectionModel::ClearAndSelect);
  const std::size_t steps = t.steps.size();
  t.key(Qt::Key_Delete);
  EXPECT_EQ(gridRows(t.grid, 4), "North||||45\nCentre||||55\nSouth||||65\n");
  EXPECT_EQ(t.steps.size(), steps + 1);

  // The whole grid is a -1 selection, and its labels stay.
  t.main()->selectAll();
  t.key(Qt::Key_Delete);
  EXPECT_EQ(gridRows(t.grid, 2),
            "|men|men|women|women\n|2004|2005|2004|2005\nNorth||||\nCentre||||\nSouth||||\n");

  // One cell is no block: Delete clears the current cell.
  t.grid.setNumber(5, 3, 1, 0);
  t.go(5, 3);
  t.key(Qt::Key_Delete);
  EXPECT_TRUE(t.grid.isEmpty(5, 3));
}

TEST(DataGridViewKeysForm, EditsInTheLastRowKeepAnEmptyEntryRow) {
  Table t(true);
  t.go(3, 3);
  t.key(Qt::Key_F2);  // no change: no new row
  t.key(Qt::Key_Return);
  EXPECT_EQ(t.grid.rowCount(), 3);
  t.enter(3, 1, "North");
  EXPECT_EQ(t.main()->model()->rowCount(), 4);
  t.enter(3, 2, "men");
  t.enter(3, 3, "41");
  EXPECT_EQ(t.at(), At(4, 1));      // the next row's first key column
  EXPECT_EQ(t.grid.rowCount(), 4);  // a row above the entry row adds none
}

TEST(DataGridViewModel, ShowsTextsColoursAndAlignment) {
  CellGrid grid(1, 3);
  GridModel model;
  model.setGrid(&grid);
  grid.setText(1, 1, "label");
  grid.setNumber(1, 2, 1.5, 2);
  grid.setDecimalChar(",");
  grid.setColours(1, 1, kRed, kYellow);
  grid.setColours(1, 2, kWhite, 0x00FF8000);
  grid.setAlignment(1, 3, HAlign::Center);
  grid.setText(1, 3, "x");
  // Per cell: its text, back and fore colours ("-" none), horizontal alignment.
  QStringList cells;
  for (int col = 0; col < 3; ++col) {
    QString cell = model.index(0, col).data().toString();
    for (const int role : {Qt::BackgroundRole, Qt::ForegroundRole}) {
      const QVariant colour = model.index(0, col).data(role);
      cell += " " + (colour.isValid() ? colour.value<QBrush>().color().name() : "-");
    }
    const auto align = model.index(0, col).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    cells << cell + " " + QString::number(int(align & Qt::AlignHorizontal_Mask));
  }
  EXPECT_EQ(cells, (QStringList{"label #ff0000 #ffff00 1", "1,50 #ffffff #0080ff 2", "x - - 4"}));

  QSignalSpy changed(&model, &GridModel::dataChanged);
  model.cellsChanged({-1, 2, -1, 3});
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.index(0, 1));
  EXPECT_EQ(changed.at(0).at(1).toModelIndex(), model.index(0, 2));
}

TEST(DataGridViewFrozenPanes, OverlaysCoverFrozenCellsAndFollowScrolling) {
  CellGrid grid(200, 50);
  grid.setFrozen(2, 1);
  grid.setColumnWidth(3, 20);
  DataGridView view;
  view.setGrid(&grid, nullptr);
  view.resize(400, 300);
  view.show();
  QTableView* main = view.mainView();
  const auto overlays = main->findChildren<QTableView*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_EQ(overlays.size(), 3);  // top, left and corner
  const int rowHeight = main->verticalHeader()->sectionSize(0);
  const int col1 = main->horizontalHeader()->sectionSize(0);
  // Each has the main view's column widths and follows its scrolling along its free side:
  // the left pane down, the top pane across, the corner neither.
  main->verticalScrollBar()->setValue(500);
  main->horizontalScrollBar()->setValue(300);
  int followed = 0;
  for (QTableView* o : overlays) {
    EXPECT_TRUE(o->isVisible());
    EXPECT_EQ(o->horizontalHeader()->sectionSize(2), main->horizontalHeader()->sectionSize(2));
    followed += o->verticalScrollBar()->value() + o->horizontalScrollBar()->value();
  }
  EXPECT_EQ(followed, 800);

  // A cell scrolled under the frozen rows or columns is brought out from under them.
  const QModelIndex hidden =
      main->model()->index(main->rowAt(rowHeight / 2), main->columnAt(col1 / 2));
  main->setCurrentIndex(hidden);
  EXPECT_GE(main->visualRect(hidden).top(), 2 * rowHeight);
  EXPECT_GE(main->visualRect(hidden).left(), col1);

  CellGrid plain(5, 5);
  view.setGrid(&plain, nullptr);
  for (QTableView* o : overlays) EXPECT_FALSE(o->isVisible());
}

TEST(DataGridViewModel, ATypedTextIsMarkedALayoutMovesTheCurrentCellOffALabelAndTheTitleShows) {
  for (const bool keysForm : {false, true}) {
    SCOPED_TRACE(keysForm ? "keys form" : "normal form");
    Table t(keysForm);
    const int row = t.doc.DataRow1, col = t.doc.DataCol1;
    // A text that is no number nor symbol is marked as soon as it is typed or stored, and
    // the cell keeps it; labels, numbers, symbols, the keys form's keys and a free sheet
    // (no table) are never marked.
    t.enter(row, col, "abc");
    if (!keysForm) {
      t.grid.setDecimalChar(",");
      t.grid.setText(row, col + 1, "..");
      t.grid.setText(row + 1, col, "1,5");
    } else {
      t.enter(row, 1, "Elsewhere");  // a key: a text by nature
    }
    const auto marked = [&](int r, int c) {
      const QModelIndex cell = t.main()->model()->index(r - 1, c - 1);
      const QVariant back = cell.data(Qt::BackgroundRole);
      const bool red = back.isValid() && back.value<QBrush>().color() == QColor(Qt::red);
      EXPECT_EQ(red, cell.data(Qt::ToolTipRole).isValid()) << r << "," << c;
      return red;
    };
    EXPECT_TRUE(marked(row, col));
    EXPECT_FALSE(marked(row, 1));
    EXPECT_FALSE(!keysForm && (marked(row, col + 1) || marked(row + 1, col)));
    GridModel sheet;
    sheet.setGrid(&t.grid);
    EXPECT_FALSE(sheet.index(row - 1, col - 1).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(sheet.index(0, 0).data(Qt::ToolTipRole).isValid());  // nor a title cell

    // A data cell (a key) stays current; the title cell, where a new layout may leave
    // it, gives way to the first data cell, where typing reaches the table.
    t.go(row, keysForm ? 1 : col + 1);
    const auto kept = t.at();
    t.view.refresh();
    EXPECT_EQ(t.at(), kept);
    t.grid.setCurrent(1, 1);
    t.view.refresh();
    EXPECT_EQ(t.at(), At(row, keysForm ? 1 : col));
    if (keysForm) continue;

    // The title cell shows the title as it is now (a description goes before it), gives
    // it whole as its tip, and runs to the first cell of row 1 that holds something.
    t.doc.Title = "Population by region, sex and year, a title far longer than its cell";
    t.view.refresh();
    const QModelIndex title = t.main()->model()->index(0, 0);
    EXPECT_EQ(title.data(Qt::ToolTipRole).toString().toStdString(), t.doc.Title);
    t.doc.Description = "People";
    EXPECT_EQ(title.data().toString(), "People");
    int empty = 1;
    while (empty < t.grid.colCount() && t.grid.isEmpty(1, empty + 1)) ++empty;
    ASSERT_GT(empty, 1) << gridRows(t.grid, 1, 1, true);
    EXPECT_EQ(t.main()->columnSpan(0, 0), empty);
  }
}
