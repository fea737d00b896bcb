// The data grid widget driven through the keyboard: editing and converting cells,
// moving with Enter, the Delete key, the keys form's entry row, the model's roles and
// the frozen panes.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <string>

#include "core/editor/command.h"
#include "core/grid/data_methods.h"
#include "gui/editor/data_grid_view.h"
#include "gui/editor/grid_model.h"
#include "support/tables.h"

using namespace zendra;
using test::addVariable;
using test::gridRows;
using At = std::pair<int, int>;

namespace {

// Region (3) by sex (2) by year (2): label rows 2-3, label column 1, data rows 4-6 and
// columns 2-5; or, in the keys form, region and sex as key columns 1-2 and the value in
// column 3 from row 3 on.
struct Table {
  VexaMess doc;
  CellGrid grid;
  DataGridView view;
  std::vector<std::unique_ptr<Command>> steps;  // what the view handed on, done

  explicit Table(bool keysForm = false) {
    addVariable(doc, "region", 0, {"North", "Middle", "South"});
    addVariable(doc, "sex", keysForm ? 0 : 1, {"men", "women"});
    if (!keysForm) addVariable(doc, "year", 1, {"2004", "2005"});
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
  // Row r from column 1 on, numbers after a "#".
  std::string row(int r) const { return gridRows(grid, r, r, true); }
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

TEST(DataGridViewEditing, TypedTextIsConvertedOnlyWhenItChangedEnterMovesOnAndLabelsAreLocked) {
  Table t;
  t.enter(4, 2, "12.5");
  EXPECT_EQ(At(t.grid.currentRow(), t.grid.currentCol()), At(4, 3));  // Enter moves right
  t.enter(4, 3, "...");
  EXPECT_EQ(t.row(4), "North|#12.50|...||\n");
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
  EXPECT_EQ(t.row(5), "Middle|#3.75|||\n");
  EXPECT_EQ(t.at(), At(5, 2));
  t.type(5, 2, "1");
  t.key(Qt::Key_Tab);
  EXPECT_EQ(t.at(), At(5, 3));
  t.go(6, 5);
  t.key(Qt::Key_Return);  // the last cell stays
  EXPECT_EQ(t.at(), At(6, 5));
  t.grid.setCurrent(6, 3);  // refresh() takes the current cell from the grid
  t.view.refresh();
  EXPECT_EQ(t.at(), At(6, 3));

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
}

TEST(DataGridViewNavigation, AWorkSheetStoresTextsAsTypedAndEnterWrapsToColumnOne) {
  CellGrid sheet(3, 3);
  DataGridView work;
  work.setGrid(&sheet, nullptr);
  work.mainView()->setCurrentIndex(work.mainView()->model()->index(0, 2));
  QTest::keyClick(work.mainView(), '1');
  QLineEdit* line = work.findChild<QLineEdit*>();
  ASSERT_NE(line, nullptr);
  QTest::keyClicks(line, ".5");
  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_EQ(sheet.kind(1, 3), CellKind::Text);
  EXPECT_EQ(work.mainView()->currentIndex(), work.mainView()->model()->index(1, 0));
}

TEST(DataGridViewDelete, ClearsTheSelectedBlockButNotLockedLabels) {
  Table t;
  for (int r = 4; r <= 6; ++r) {
    for (int c = 2; c <= 5; ++c) t.grid.setNumber(r, c, r * 10 + c, 0);
  }
  auto* model = t.main()->model();
  t.main()->selectionModel()->select(QItemSelection(model->index(3, 1), model->index(5, 3)),
                                     QItemSelectionModel::ClearAndSelect);
  t.key(Qt::Key_Delete);
  EXPECT_EQ(gridRows(t.grid, 4), "North||||45\nMiddle||||55\nSouth||||65\n");
  EXPECT_EQ(t.steps.size(), 1u);  // one step, whose undo the step tests check

  // The whole grid is a -1 selection, and its labels stay.
  t.main()->selectAll();
  t.key(Qt::Key_Delete);
  EXPECT_EQ(gridRows(t.grid, 2),
            "|men|men|women|women\n|2004|2005|2004|2005\nNorth||||\nMiddle||||\nSouth||||\n");

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

TEST(DataGridViewModel, ATypedTextIsMarkedAndALayoutThatLeavesTheCurrentCellOnALabelMovesIt) {
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

    // A data cell (a key) stays current; the title cell, where a new layout may leave
    // it, gives way to the first data cell, where typing reaches the table.
    t.go(row, keysForm ? 1 : col + 1);
    const auto kept = t.at();
    t.view.refresh();
    EXPECT_EQ(t.at(), kept);
    t.grid.setCurrent(1, 1);
    t.view.refresh();
    EXPECT_EQ(t.at(), At(row, keysForm ? 1 : col));
  }
}

TEST(DataGridViewModel, TheTitleCellShowsTheTitleAsItIsRunsAcrossEmptyCellsAndTellsItAll) {
  Table t;
  t.doc.Title = "Population by region, sex and year, a title far longer than its cell";
  t.view.refresh();
  const QModelIndex title = t.main()->model()->index(0, 0);
  const auto shown = [&](int role) { return title.data(role).toString().toStdString(); };
  EXPECT_EQ(shown(Qt::ToolTipRole), t.doc.Title);
  t.doc.Description = "People";  // a description goes before the title
  EXPECT_EQ(shown(Qt::DisplayRole), "People");
  // It runs to the first cell of row 1 that holds something.
  int empty = 1;
  while (empty < t.grid.colCount() && t.grid.isEmpty(1, empty + 1)) ++empty;
  ASSERT_GT(empty, 1) << gridRows(t.grid, 1, 1, true);
  EXPECT_EQ(t.main()->columnSpan(0, 0), empty);
  // A free sheet has no title cell.
  GridModel sheet;
  sheet.setGrid(&t.grid);
  EXPECT_FALSE(sheet.index(0, 0).data(Qt::ToolTipRole).isValid());
}
