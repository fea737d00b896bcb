// The stub and heading controls of "Bas&ic structure": which buttons the table allows,
// each button's flow through its dialogs, the question before cells are lost, the
// program-wide source table, and the undo of every step giving the table back.
#include <gtest/gtest.h>

#include <QAction>
#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QUndoStack>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "gui/editor/dialogs/dlg_add_dimension.h"
#include "gui/editor/dialogs/dlg_add_var_from_vq.h"
#include "gui/editor/dialogs/dlg_get_standard_var.h"
#include "gui/editor/dialogs/dlg_new_dimension.h"
#include "gui/editor/dialogs/dlg_reorder_dimensions.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/loaded_table.h"
#include "support/tables.h"

using namespace zendra;

namespace {

// Region in the stub; sex and year in the heading; eight cells.
constexpr const char* kTable =
    "MATRIX=\"M1\";\r\nCONTENTS=\"People\";\r\nDECIMALS=0;\r\n"
    "STUB=\"region\";\r\nHEADING=\"sex\",\"year\";\r\n"
    "VALUES(\"region\")=\"North\",\"South\";\r\nVALUES(\"sex\")=\"men\",\"women\";\r\n"
    "VALUES(\"year\")=\"2020\",\"2021\";\r\n"
    "DATA=\r\n1 2 3 4\r\n5 6 7 8;\r\n";

// A table to copy variables from.
constexpr const char* kSource =
    "MATRIX=\"S1\";\r\nCONTENTS=\"Other\";\r\nDECIMALS=0;\r\n"
    "STUB=\"age\";\r\nHEADING=\"sector\";\r\n"
    "VALUES(\"age\")=\"young\",\"old\";\r\nCODES(\"age\")=\"Y\",\"O\";\r\n"
    "VALUES(\"sector\")=\"public\",\"private\";\r\nDATA=\r\n1 2\r\n3 4;\r\n";

using Answer = std::function<void(QDialog&)>;

void press(QDialog& dialog, const char* button) {
  QPushButton* b = dialog.findChild<QPushButton*>(button);
  ASSERT_TRUE(b) << button;
  b->click();
}

// dlgNewDimension: chooses an option (typing name for "Enter name of New") and presses OK.
Answer source(int option, const QString& name = {}) {
  return [option, name](QDialog& d) {
    ASSERT_TRUE(qobject_cast<dlgNewDimension*>(&d));
    d.findChild<QRadioButton*>(QString("Option1_%1").arg(option))->click();
    if (!name.isEmpty()) QTest::keyClicks(d.findChild<QLineEdit*>("Text1"), name);
    press(d, "cmdOK");
  };
}

// A variable list (dlgAddVarFromVq, dlgGetStandardVar): picks a name and presses OK.
Answer pick(const QString& name) {
  return [name](QDialog& d) {
    auto* list = d.findChild<QListWidget*>("lstVariables");
    ASSERT_TRUE(list);
    const auto found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list->setCurrentItem(found.front());
    found.front()->setSelected(true);
    press(d, "cmdOK");
  };
}

// dlgReorderDimensions: moves the names one by one and presses OK.
Answer reorder(const QStringList& order) {
  return [order](QDialog& d) {
    ASSERT_TRUE(qobject_cast<dlgReorderDimensions*>(&d));
    auto* from = d.findChild<QListWidget*>("List1");
    for (const QString& name : order) {
      from->clearSelection();
      from->findItems(name, Qt::MatchExactly).front()->setSelected(true);
      press(d, "cmdMoveTo");
    }
    press(d, "cmdOk");
  };
}

Answer pressOnly(const char* button) {
  return [button](QDialog& d) { press(d, button); };
}

// A main window whose dialogs answer from a queue, in order; a dialog without an answer
// left is cancelled. Every dialog run is remembered by its class name.
struct Frame : test::EditorWindowFrame {
  std::deque<Answer> answers;
  std::vector<std::string> ran;

  Frame() {
    answer = [this](QDialog& dialog) {
      ran.push_back(dialog.metaObject()->className());
      if (answers.empty()) {
        dialog.reject();
        return;
      }
      const Answer next = answers.front();
      answers.pop_front();
      next(dialog);
    };
  }
  // Opens a table on the structure page; without data, its cells cleared (Clear all data)
  // and that step counting as the last save.
  frmCreateVq* table(const char* text = kTable, bool withData = true,
                     const std::string& name = "table.vq") {
    frmCreateVq* editor = openText(text, name);
    if (!editor) return nullptr;
    if (!withData) {
      editor->tabs()->setCurrentIndex(frmCreateVq::Data);
      editor->findChild<QAction*>("mnuClearAllData")->trigger();
      editor->undoStack()->clear();
    }
    editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
    return editor;
  }
};

template <typename T = QPushButton>
T* control(frmCreateVq* editor, const char* name) {
  return test::child<T>(*editor, name);
}

void click(frmCreateVq* editor, const char* button) {
  control(editor, button)->click();
}

void select(frmCreateVq* editor, const char* list, const char* name) {
  auto* names = control<QListWidget>(editor, list);
  const auto found = names->findItems(name, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << name;
  names->setCurrentItem(found.front());
}

// The table as a user would check it: stub and heading as the lists show them and as the
// document has them, the grid's flags, and every grid cell.
std::string state(frmCreateVq* editor) {
  const VexaMess& doc = editor->document();
  std::string out;
  for (const char* list : {"lstStub", "lstHeading"}) {
    for (const auto& name : test::listTexts(control<QListWidget>(editor, list))) out += name + ",";
    out += "|";
  }
  for (const auto& name : test::names(doc.colStub)) out += name + ",";
  out += "|";
  for (const auto& name : test::names(doc.colHeading)) out += name + ",";
  out += "\ncreated " + std::to_string(doc.GridCreated) + " data " +
         std::to_string(doc.GridHasData) + "\n";
  return out + test::gridRows(editor->dataGrid());
}

}  // namespace

TEST(StructureControls, ShowTheButtonsTheTableAllows) {
  constexpr const char* kNoVariables = "MATRIX=\"M0\";\r\nCONTENTS=\"None\";\r\nDECIMALS=0;\r\n";
  struct Case {
    const char* what;
    const char* text;
    bool withData;
    bool reorderStub, reorderHead;
  };
  const Case cases[] = {
      {"cells in the grid", kTable, true, false, true},
      {"cells cleared", kTable, false, false, true},
      {"no variables", kNoVariables, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Frame f;
    frmCreateVq* editor = f.table(c.text, c.withData);
    ASSERT_TRUE(editor);
    for (const char* list : {"lstStub", "lstHeading"}) {
      EXPECT_EQ(control<QListWidget>(editor, list)->isEnabled(), !c.withData) << list;
    }
    for (const char* button : {"cmdAddStub", "cmdAddHead", "cmdRemoveStub", "cmdRemoveHead",
                               "cmdReorderStub", "cmdReorderHead"}) {
      EXPECT_EQ(control(editor, button)->isHidden(), c.withData) << button;
    }
    for (const char* button : {"cmdAddDimension1", "cmdAddDimension2"}) {
      EXPECT_EQ(control(editor, button)->isHidden(), !c.withData) << button;
    }
    EXPECT_EQ(control(editor, "cmdReorderStub")->isEnabled(), c.reorderStub);
    EXPECT_EQ(control(editor, "cmdReorderHead")->isEnabled(), c.reorderHead);
    EXPECT_TRUE(editor->undoStack()->isClean());
  }
}

TEST(StructureControls, EachAddDimensionButtonTakesThePlaceOfItsReorderButton) {
  Frame f;
  frmCreateVq* editor = f.table();
  auto* grid = control<QGridLayout>(editor, "structureGrid");
  auto place = [grid, editor](const char* name) {
    int row = 0, col = 0, rows = 0, cols = 0;
    grid->getItemPosition(grid->indexOf(control(editor, name)), &row, &col, &rows, &cols);
    return std::pair(row, col);
  };
  EXPECT_EQ(place("cmdAddDimension1"), place("cmdReorderStub"));
  EXPECT_EQ(place("cmdAddDimension2"), place("cmdReorderHead"));
  EXPECT_NE(place("cmdAddDimension1"), place("cmdAddDimension2"));
}

TEST(StructureControls, AddNewByNameOrCancelAndUndo) {
  Frame f;
  frmCreateVq* editor = f.table(kTable, false);
  const std::string before = state(editor);

  // Cancel, and a name refused by the dialog followed by Cancel, change nothing.
  f.answers = {pressOnly("cmdCancel"), [](QDialog& d) {
                 source(3, "SEX")(d);
                 press(d, "cmdCancel");
               }};
  click(editor, "cmdAddStub");
  click(editor, "cmdAddHead");
  EXPECT_TRUE(f.asked("Variable name in use"));
  EXPECT_EQ(state(editor), before);
  EXPECT_EQ(editor->undoStack()->count(), 0);

  f.answers = {source(3, " age ")};
  click(editor, "cmdAddStub");
  EXPECT_EQ(test::listTexts(control<QListWidget>(editor, "lstStub")),
            (std::vector<std::string>{"region", "age"}));
  EXPECT_EQ(editor->undoStack()->count(), 1);
  // One variable in the stub now has two, so Reorder Stub is offered.
  EXPECT_TRUE(control(editor, "cmdReorderStub")->isEnabled());

  f.answers = {source(3, "sector")};
  click(editor, "cmdAddHead");
  EXPECT_EQ(test::names(editor->document().colHeading),
            (std::vector<std::string>{"sex", "year", "sector"}));

  editor->undoStack()->undo();
  editor->undoStack()->undo();
  EXPECT_EQ(state(editor), before);
  EXPECT_FALSE(control(editor, "cmdReorderStub")->isEnabled());
}

TEST(StructureControls, AddOrRemoveWhileTheGridHoldsDataAsksFirst) {
  const std::string question = "Data in grid will be lost\nDo you want to continue?";
  Frame f;
  frmCreateVq* editor = f.table();
  const std::string before = state(editor);
  ASSERT_NE(before.find("|8\n"), std::string::npos) << before;

  // No: no dialog, no step.
  f.prompt.script(Prompt::Answer::No);
  click(editor, "cmdAddStub");
  select(editor, "lstHeading", "year");
  f.prompt.script(Prompt::Answer::No);
  click(editor, "cmdRemoveHead");
  EXPECT_EQ(f.prompt.asked.size(), 2u);
  EXPECT_TRUE(f.asked(question));
  EXPECT_TRUE(f.ran.empty());
  EXPECT_EQ(state(editor), before);
  EXPECT_TRUE(editor->undoStack()->isClean());

  // Remove with nothing selected: not even the question.
  control<QListWidget>(editor, "lstStub")->clearSelection();
  click(editor, "cmdRemoveStub");
  EXPECT_EQ(f.prompt.asked.size(), 2u);

  // Yes: the step is done and the grid is laid out empty; its undo gives every cell back
  // and the buttons of a table with data.
  struct Case {
    const char* what;
    std::function<void()> act;
    const char* after;
  };
  const Case cases[] = {
      {"add",
       [&] {
         f.answers = {source(3, "age")};
         click(editor, "cmdAddStub");
       },
       "region,age,|sex,year,|"},
      {"remove",
       [&] {
         select(editor, "lstHeading", "year");
         click(editor, "cmdRemoveHead");
       },
       "region,|sex,|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    f.prompt.script(Prompt::Answer::Yes);
    c.act();
    EXPECT_EQ(state(editor).rfind(c.after, 0), 0u) << state(editor);
    EXPECT_FALSE(editor->document().GridHasData);
    EXPECT_FALSE(control(editor, "cmdAddStub")->isHidden());
    editor->undoStack()->undo();
    EXPECT_EQ(state(editor), before);
    EXPECT_TRUE(control(editor, "cmdAddStub")->isHidden());
    EXPECT_FALSE(control(editor, "cmdAddDimension1")->isHidden());
  }
}

TEST(StructureControls, ReorderCancelKeepsEverythingAndOkUndoes) {
  Frame f;
  frmCreateVq* editor = f.table();
  const std::string before = state(editor);

  f.answers = {pressOnly("cmdCancel")};
  click(editor, "cmdReorderHead");
  EXPECT_EQ(f.ran, (std::vector<std::string>{"zendra::dlgReorderDimensions"}));
  EXPECT_EQ(state(editor), before);  // the cells and the layout stay
  EXPECT_TRUE(editor->undoStack()->isClean());

  // The same order again is no change either.
  f.answers = {reorder({"sex", "year"})};
  click(editor, "cmdReorderHead");
  EXPECT_TRUE(editor->undoStack()->isClean());

  f.answers = {reorder({"year", "sex"})};
  click(editor, "cmdReorderHead");
  EXPECT_EQ(test::listTexts(control<QListWidget>(editor, "lstHeading")),
            (std::vector<std::string>{"year", "sex"}));
  EXPECT_EQ(editor->undoStack()->count(), 1);
  editor->undoStack()->undo();
  EXPECT_EQ(state(editor), before);
}

TEST(StructureControls, CopiesFromAFileAndReusesItsTableInAnotherWindow) {
  Frame f;
  f.ctx.settings.OpenBase = f.home.path().string();
  const std::string sourcePath = f.home.write("sources/people.vq", kSource).string();
  frmCreateVq* first = f.table(kTable, false);
  VariableSources& sources = f.ctx.variableSources;

  // No file chosen, or one that cannot be read: nothing changes, not even the source.
  f.answers = {source(0), source(0)};
  click(first, "cmdAddStub");
  f.files.script(QString::fromStdString(f.home.file("sources/missing.vq")));
  click(first, "cmdAddStub");
  EXPECT_TRUE(f.asked("Cannot read " + f.home.file("sources/missing.vq") +
                      ": No such file or directory"));
  EXPECT_EQ(f.ran.size(), 2u);  // only the source choosers
  EXPECT_TRUE(sources.lastFileName.empty());
  EXPECT_FALSE(sources.table);
  EXPECT_EQ(f.ctx.settings.OpenBase, f.home.path().string());
  EXPECT_TRUE(first->undoStack()->isClean());

  f.answers = {source(0), pick("age")};
  f.files.script(QString::fromStdString(sourcePath));
  click(first, "cmdAddStub");
  const auto& request = f.files.calls.back().request;
  EXPECT_EQ(request.title, "Select VQ-file to copy");
  EXPECT_EQ(request.folder, QString::fromStdString(f.home.path().string()));
  EXPECT_TRUE(request.filter.contains("*.vq"));
  EXPECT_TRUE(request.mustExist);
  EXPECT_EQ(sources.lastFileName, "people.vq");
  EXPECT_EQ(f.ctx.settings.OpenBase, f.home.file("sources"));
  const DimensionRef age = first->document().colStub.Item("age");
  ASSERT_TRUE(age);
  EXPECT_EQ(test::texts(age->ValueCode), (test::Texts{"young", "old"}));
  EXPECT_EQ(age->ValueCode.Item(1)->code, "Y");
  // A copy: the source table keeps its own variable.
  EXPECT_NE(age.get(), sources.table->Dimensions.Item("age").get());

  // Another window offers the table read before and copies from it without a file.
  frmCreateVq* second = f.table(kTable, false, "second.vq");
  const std::size_t chooserCalls = f.files.calls.size();
  f.answers = {[](QDialog& d) {
                 auto* fromLast = d.findChild<QRadioButton*>("Option1_4");
                 EXPECT_FALSE(fromLast->isHidden());
                 EXPECT_EQ(fromLast->text(), "From people.vq");
                 source(4)(d);
               },
               pick("sector")};
  click(second, "cmdAddHead");
  EXPECT_EQ(f.files.calls.size(), chooserCalls);
  EXPECT_EQ(test::names(second->document().colHeading),
            (std::vector<std::string>{"sex", "year", "sector"}));
  EXPECT_EQ(test::names(first->document().colHeading), (std::vector<std::string>{"sex", "year"}));
}

TEST(StructureControls, AStandardVariableIsCopiedOnceAndNeverShared) {
  Frame f;
  const DimensionRef standard = test::variableWith({"married", "single"}, "status");
  f.ctx.defaultData.Dimensions.Add(standard, standard->name);
  frmCreateVq* editor = f.table(kTable, false);

  f.answers = {source(2), pick("status")};
  click(editor, "cmdAddStub");
  const DimensionRef placed = editor->document().colStub.Item("status");
  ASSERT_TRUE(placed);
  EXPECT_NE(placed.get(), standard.get());
  placed->ValueCode.Item(1)->value = "wed";
  EXPECT_EQ(test::texts(standard->ValueCode), (test::Texts{"married", "single"}));

  // The second time the name is in use: the user is told and nothing is added.
  f.answers = {source(2), [](QDialog& d) {
                 press(d, "cmdOK");  // the first variable is selected at the start
                 press(d, "cmdCancel");
               }};
  click(editor, "cmdAddHead");
  EXPECT_TRUE(f.asked("Variable name in use"));
  EXPECT_EQ(test::names(editor->document().colHeading), (std::vector<std::string>{"sex", "year"}));
  EXPECT_EQ(editor->undoStack()->count(), 1);
}

TEST(StructureControls, AddDimensionKeepsEveryCellThroughSaveAndReadBack) {
  struct Case {
    const char* button;
    test::Texts stub, heading;
  };
  const Case cases[] = {
      {"cmdAddDimension1", {"region", "country"}, {"sex", "year"}},
      {"cmdAddDimension2", {"region"}, {"country", "sex", "year"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    Frame f;
    frmCreateVq* editor = f.table();
    const std::string before = state(editor);

    f.answers = {pressOnly("cmdCancel")};
    click(editor, c.button);
    EXPECT_EQ(state(editor), before);
    EXPECT_TRUE(editor->undoStack()->isClean());

    f.answers = {[](QDialog& d) {
      ASSERT_TRUE(qobject_cast<dlgAddDimension*>(&d));
      QTest::keyClicks(d.findChild<QLineEdit*>("txtDimName"), "country");
      QTest::keyClicks(d.findChild<QLineEdit*>("txtCode"), "SE");
      QTest::keyClicks(d.findChild<QLineEdit*>("txtValue"), "Sweden");
      press(d, "cmdOK");
    }};
    click(editor, c.button);
    EXPECT_TRUE(f.prompt.asked.empty());  // no cell is lost, so nothing is asked
    EXPECT_FALSE(control(editor, c.button)->isHidden());

    const std::string path = f.saveAs(editor, "out.vq");
    ASSERT_FALSE(path.empty());
    test::Loaded back(path);
    ASSERT_EQ(back.result, LoadResult::Loaded);
    EXPECT_EQ(test::names(back.doc.colStub), c.stub);
    EXPECT_EQ(test::names(back.doc.colHeading), c.heading);
    EXPECT_EQ(test::texts(back.doc.Get_Dimension("country")->ValueCode), (test::Texts{"Sweden"}));
    std::string cells;
    for (int r = 0; r < 2; ++r) {
      for (int col = 0; col < 4; ++col) cells += back.cell(r, col) + " ";
    }
    EXPECT_EQ(cells, "1 2 3 4 5 6 7 8 ");

    editor->undoStack()->undo();
    EXPECT_EQ(state(editor), before);
  }
}
