// A table built from an empty window only through the window's controls and dialogs:
// variables new by name and from the default data, values and codes typed into the value
// grid, the variables' properties, cells typed into the data grid and a one-valued
// variable added to the table with data. The saved file reads back field by field, and
// undoing every step gives the empty table again.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>
#include <deque>
#include <functional>

#include "gui/app/dlg_new_keys.h"
#include "gui/editor/data_grid_view.h"
#include "core/format/reader.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/tables.h"

using namespace zendra;

namespace {

using Answer = std::function<void(QDialog&)>;

struct Scratch : test::EditorWindowFrame {
  std::deque<Answer> answers;
  frmCreateVq* editor = nullptr;

  Scratch() {
    answer = [this](QDialog& dialog) {
      if (auto* keys = qobject_cast<dlgNewKeys*>(&dialog)) {
        keys->findChild<QPushButton*>("cmdStandard")->click();
        return;
      }
      ASSERT_FALSE(answers.empty()) << dialog.metaObject()->className();
      const Answer next = answers.front();
      answers.pop_front();
      next(dialog);
    };
    window->show();
    window->file_new();
    editor = window->editors().last();
  }
  template <typename T = QWidget>
  T* get(const char* name) {
    return test::child<T>(*editor, name);
  }
  void page(int index) { editor->tabs()->setCurrentIndex(index); }
  void click(const char* name) { get<QAbstractButton>(name)->click(); }
  void type(const char* name, const QString& text) {
    auto* box = get<QLineEdit>(name);
    box->setFocus();
    QTest::keyClicks(box, text);
    box->clearFocus();
  }
  void pick(const char* name, const QString& text) { test::chooseText(get<QComboBox>(name), text); }
  // "Add Stu&b" or "Add &Heading", answering the dialogs in turn.
  void add(const char* button, std::initializer_list<Answer> dialogs) {
    answers.insert(answers.end(), dialogs);
    page(frmCreateVq::BasicStructure);
    click(button);
    EXPECT_TRUE(answers.empty());
  }
  // Chooses a variable in the Variables page's tree.
  void choose(const char* name) {
    page(frmCreateVq::Variables);
    auto* tree = get<QTreeWidget>("VarTree");
    const auto found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << name;
    tree->setCurrentItem(found.front());
  }
  // Types into a cell of the value grid: edit, type, Enter.
  void typeValue(int row, int column, const QString& text) {
    auto* grid = get<QTableView>("sprValues");
    const QModelIndex at = grid->model()->index(row, column);
    grid->setFocus();
    grid->setCurrentIndex(at);
    grid->edit(at);
    auto* box = qobject_cast<QLineEdit*>(grid->indexWidget(at));
    ASSERT_TRUE(box);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Types a number into a data cell (1-based grid row and column) and presses Enter.
  void typeCell(int row, int col, const QString& text) {
    QTableView* view = editor->SprData()->mainView();
    view->setCurrentIndex(view->model()->index(row - 1, col - 1));
    QTest::keyClick(view, text.at(0).toLatin1());
    QLineEdit* box = nullptr;
    for (auto* line : view->findChildren<QLineEdit*>()) {
      if (line->isVisibleTo(view)) box = line;
    }
    ASSERT_TRUE(box);
    QTest::keyClicks(box, text.mid(1));
    QTest::keyClick(box, Qt::Key_Return);
  }
};

// dlgNewDimension: an option ("Option1_N"), a name for "Enter name of New", OK.
Answer source(int option, const QString& name = {}) {
  return [option, name](QDialog& d) {
    d.findChild<QRadioButton*>(QString("Option1_%1").arg(option))->click();
    if (!name.isEmpty()) QTest::keyClicks(d.findChild<QLineEdit*>("Text1"), name);
    d.findChild<QPushButton*>("cmdOK")->click();
  };
}

Answer pickVariable(const QString& name) {
  return [name](QDialog& d) {
    auto* list = d.findChild<QListWidget*>("lstVariables");
    const auto found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list->setCurrentItem(found.front());
    d.findChild<QPushButton*>("cmdOK")->click();
  };
}

Answer oneValued(const QString& name, const QString& code, const QString& value) {
  return [=](QDialog& d) {
    QTest::keyClicks(d.findChild<QLineEdit*>("txtDimName"), name);
    QTest::keyClicks(d.findChild<QLineEdit*>("txtCode"), code);
    QTest::keyClicks(d.findChild<QLineEdit*>("txtValue"), value);
    d.findChild<QPushButton*>("cmdOK")->click();
  };
}

std::string describe(const VexaMess& doc) {
  std::string out = "stub";
  for (const auto& v : doc.colStub) out += " " + v->name;
  out += " heading";
  for (const auto& v : doc.colHeading) out += " " + v->name;
  out += "\n";
  for (const auto& v : doc.Dimensions) {
    out += v->name + (v->UseCodes ? " codes" : "") + " elim=" + v->Elimination +
           " domain=" + v->Domain + ":";
    for (const auto& value : v->ValueCode) out += " " + value->code + "/" + value->value;
    out += "\n";
  }
  return out;
}

}  // namespace

TEST(VariablesFromScratch, ATableBuiltThroughTheControlsSavesAndReadsBackAndUndoesToNothing) {
  Scratch s;
  ASSERT_TRUE(s.editor);
  s.ctx.defaultData.Dimensions.Add(test::variableWith({"married", "single"}, "status"), "status");
  s.page(frmCreateVq::BasicStructure);
  s.type("txtMatrix", "BE0101");
  s.type("txtContents", "Inhabitants");

  // A stub variable by name with codes, typed into the value grid's empty last row.
  s.add("cmdAddStub", {source(3, "region")});
  s.choose("region");
  s.click("optCodeVal_1");
  s.typeValue(0, 0, "01");
  s.typeValue(0, 1, "North");
  s.typeValue(1, 0, "02");
  s.typeValue(1, 1, "South");
  s.click("chkDomain");
  s.type("txtDomain", "county");

  // A heading variable by name that can be eliminated, and one from the default data.
  s.add("cmdAddHead", {source(3, "sex")});
  s.choose("sex");
  s.typeValue(0, 0, "men");
  s.typeValue(1, 0, "women");
  s.click("chkElimination");
  s.pick("cmbElimination", "YES");
  s.add("cmdAddHead", {source(2), pickVariable("status")});

  // The cells, typed into the data grid.
  s.page(frmCreateVq::Data);
  VexaMess& doc = s.editor->document();
  ASSERT_TRUE(doc.GridCreated);
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) {
      s.typeCell(doc.DataRow1 + r, doc.DataCol1 + c, QString::number(10 * r + c + 1));
    }
  }
  ASSERT_TRUE(doc.GridHasData);

  // With data only a one-valued variable can be added; every cell stays.
  s.add("cmdAddDimension2", {oneValued("unit", "P", "persons")});
  EXPECT_FALSE(s.get("cmdAddHead")->isVisibleTo(s.editor));

  const std::string saved = s.saveAs(s.editor, "scratch.vq");
  ASSERT_FALSE(saved.empty());
  VexaMess back;
  back.VQfilename = saved;
  CellGrid grid;
  back.SprData = &grid;
  ScriptedPrompt prompt;
  ASSERT_EQ(Load_From_File(back, false, &grid, prompt), LoadResult::Loaded);
  EXPECT_EQ(describe(back),
            "stub region heading unit sex status\n"
            "region codes elim= domain=county: 01/North 02/South\n"
            "unit codes elim= domain=: P/persons\n"
            "sex elim=YES domain=: /men /women\n"
            "status elim= domain=: /married /single\n");
  EXPECT_EQ(describe(back), describe(doc));
  std::string cells;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) cells += grid.text(back.DataRow1 + r, back.DataCol1 + c) + " ";
  }
  EXPECT_EQ(cells, "1 2 3 4 11 12 13 14 ");
  // The default data's own variable was copied, never shared.
  EXPECT_NE(back.Get_Dimension("status"), s.ctx.defaultData.Dimensions.Item("status"));
  EXPECT_NE(doc.Get_Dimension("status"), s.ctx.defaultData.Dimensions.Item("status"));

  // Every step undone: the empty table again, which differs from the saved file.
  while (s.editor->undoStack()->canUndo()) s.editor->undoStack()->undo();
  EXPECT_EQ(doc.Dimensions.Count(), 0);
  EXPECT_EQ(doc.Matrix, "");
  EXPECT_FALSE(doc.GridHasData);
  EXPECT_TRUE(s.editor->isChanged());
}
