// The stub and heading controls of "Bas&ic structure": which buttons the table allows,
// each button's flow through its dialogs, the question before cells are lost, the
// program-wide source table, and the undo of every step giving the table back.
#include <QAction>

#include "page_frame.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// Region in the stub; sex and year in the heading; eight cells.
constexpr const char* kTable =
    "MATRIX=\"M1\";\r\nCONTENTS=\"People\";\r\nDECIMALS=0;\r\nSTUB=\"region\";\r\n"
    "HEADING=\"sex\",\"year\";\r\nVALUES(\"region\")=\"North\",\"South\";\r\n"
    "VALUES(\"sex\")=\"men\",\"women\";\r\nVALUES(\"year\")=\"2020\",\"2021\";\r\n"
    "DATA=\r\n1 2 3 4\r\n5 6 7 8;\r\n";

// A table to copy variables from.
constexpr const char* kSource =
    "MATRIX=\"S1\";CONTENTS=\"Other\";DECIMALS=0;STUB=\"age\";HEADING=\"sector\";"
    "VALUES(\"age\")=\"young\",\"old\";CODES(\"age\")=\"Y\",\"O\";"
    "VALUES(\"sector\")=\"public\",\"private\";DATA=1 2 3 4;";

// dlgReorderDimensions: moves the names one by one and presses OK.
Answer reorder(const QStringList& order) {
  return [order](QDialog& d) {
    auto* from = d.findChild<QListWidget*>("List1");
    for (const QString& name : order) {
      from->clearSelection();
      from->findItems(name, Qt::MatchExactly).front()->setSelected(true);
      press(d, "cmdMoveTo");
    }
    press(d, "cmdOk");
  };
}

struct Frame : PageFrame {
  // Opens a table on the structure page; without data, its cells cleared (Clear all data)
  // and that step counting as the last save.
  frmCreateVq* table(const char* text = kTable, bool withData = true,
                     const std::string& name = "table.vq") {
    editor = openText(text, name);
    if (!editor) return nullptr;
    if (!withData) {
      show(frmCreateVq::Data);
      editor->findChild<QAction*>("mnuClearAllData")->trigger();
      history()->clear();
    }
    show(frmCreateVq::BasicStructure);
    return editor;
  }
  // The structure controls: "-" hidden, "+" shown and taking clicks, "0" shown but not.
  std::string buttons() {
    std::string out;
    for (const char* name :
         {"lstStub", "lstHeading", "cmdAddStub", "cmdAddHead", "cmdRemoveStub", "cmdRemoveHead",
          "cmdReorderStub", "cmdReorderHead", "cmdAddDimension1", "cmdAddDimension2"}) {
      out += get(name)->isHidden() ? '-' : get(name)->isEnabled() ? '+' : '0';
    }
    return out;
  }
  // The table as a user would check it: stub and heading as the lists show them and as the
  // document has them, the buttons, the grid's flags, and every grid cell.
  std::string state() {
    std::string out;
    for (const Texts& names : {listTexts(list("lstStub")), listTexts(list("lstHeading")),
                               test::names(doc().colStub), test::names(doc().colHeading)}) {
      for (const auto& name : names) out += name + ",";
      out += "|";
    }
    out += "\n" + buttons() + " created " + std::to_string(doc().GridCreated) + " data " +
           std::to_string(doc().GridHasData) + "\n";
    return out + gridRows(editor->dataGrid());
  }
};

}  // namespace

TEST(StructureControls, WithoutDataAddNewByNameOrCancel) {
  Frame f;
  f.table(kTable, false);
  const std::string before = f.state();
  // Without data every button but the "Add Dimension" ones shows; a reorder button takes
  // clicks only for two variables or more.
  EXPECT_EQ(f.buttons(), "++++++0+--");

  // Cancel, and a name refused by the dialog followed by Cancel, change nothing.
  f.answers = {[](QDialog& d) { press(d, "cmdCancel"); },
               [](QDialog& d) {
                 source(3, "SEX")(d);
                 press(d, "cmdCancel");
               }};
  f.click("cmdAddStub");
  f.click("cmdAddHead");
  EXPECT_TRUE(f.asked("Variable name in use"));
  EXPECT_EQ(f.state(), before);

  // One variable in the stub now has two, so Reorder Stub is offered (the from-scratch test
  // and the test with data check a new variable's step and undo).
  f.answers = {source(3, " age ")};
  f.click("cmdAddStub");
  EXPECT_EQ(f.buttons(), "++++++++--");
}

TEST(StructureControls, WithDataAddOrRemoveAsksFirstReorderAndAddDimensionDoNotAndAllUndo) {
  Frame f;
  f.table();
  const std::string before = f.state();
  EXPECT_EQ(f.buttons(), "00------++");  // with data only the "Add Dimension" buttons show

  // No: no dialog, no step.
  f.prompt.script(Prompt::Answer::No);
  f.click("cmdAddStub");
  f.list("lstHeading")->setCurrentRow(1);  // year
  f.prompt.script(Prompt::Answer::No);
  f.click("cmdRemoveHead");
  EXPECT_EQ(f.prompt.asked.size(), 2u);
  EXPECT_TRUE(f.asked("Data in grid will be lost\nDo you want to continue?"));
  EXPECT_TRUE(f.ran.empty());
  EXPECT_EQ(f.state(), before);

  // Remove with nothing selected: not even the question.
  f.list("lstStub")->clearSelection();
  f.click("cmdRemoveStub");
  EXPECT_EQ(f.prompt.asked.size(), 2u);

  // Yes: the step is done and the grid is laid out empty; its undo gives every cell back
  // and the buttons of a table with data.
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"cmdAddStub", false, "region,age,|sex,year,|"},
      {"cmdRemoveHead", true, "region,|sex,|"},  // year
  };
  for (const auto& [button, selected, after] : cases) {
    SCOPED_TRACE(button);
    f.prompt.script(Prompt::Answer::Yes);
    if (selected) {
      f.list("lstHeading")->setCurrentRow(1);
    } else {
      f.answers = {source(3, "age")};
    }
    f.click(button);
    EXPECT_EQ(f.state().rfind(after, 0), 0u) << f.state();
    EXPECT_FALSE(f.doc().GridHasData);
    f.history()->undo();
    EXPECT_EQ(f.state(), before);
  }

  // Reordering: Cancel and the same order again change nothing; OK is one step.
  f.click("cmdReorderHead");  // cancelled
  EXPECT_EQ(f.ran.back(), "zendra::dlgReorderDimensions");
  EXPECT_EQ(f.state(), before);  // the cells and the layout stay
  EXPECT_TRUE(f.history()->isClean());
  f.answers = {reorder({"sex", "year"})};
  f.click("cmdReorderHead");
  EXPECT_TRUE(f.history()->isClean());
  f.answers = {reorder({"year", "sex"})};
  f.click("cmdReorderHead");
  EXPECT_EQ(listTexts(f.list("lstHeading")), (Texts{"year", "sex"}));
  f.history()->undo();
  EXPECT_EQ(f.state(), before);

  // "Add Dimension" to the heading, with a save that keeps every cell, and a standard variable
  // copied in are driven by the from-scratch test of the metadata pages.
  const std::size_t questions = f.prompt.asked.size();
  f.click("cmdAddDimension1");  // cancelled
  EXPECT_TRUE(f.history()->isClean());
  f.answers = {oneValued("country", "SE", "Sweden")};
  f.click("cmdAddDimension1");
  EXPECT_EQ(f.prompt.asked.size(), questions);  // no cell is lost, so nothing is asked
  EXPECT_EQ(gridRows(f.editor->dataGrid(), f.doc().DataRow1),
            "North|Sweden|1|2|3|4\nSouth|Sweden|5|6|7|8\n");
  f.history()->undo();
  EXPECT_EQ(f.state(), before);
}

TEST(StructureControls, CopiesFromAFileAndReusesItsTableInAnotherWindow) {
  Frame f;
  f.ctx.settings.OpenBase = f.home.path().string();
  const std::string sourcePath = f.home.write("sources/people.vq", kSource).string();
  frmCreateVq* first = f.table(kTable, false);
  VariableSources& sources = f.ctx.variableSources;

  // No file chosen, or one that cannot be read: nothing changes, not even the source.
  f.answers = {source(0), source(0)};
  f.click("cmdAddStub");
  f.files.script(QString::fromStdString(f.home.file("sources/missing.vq")));
  f.click("cmdAddStub");
  EXPECT_TRUE(
      f.asked("Cannot read " + f.home.file("sources/missing.vq") + ": No such file or directory"));
  EXPECT_EQ(
      sources.lastFileName + "|" + std::to_string(!!sources.table) + "|" + f.ctx.settings.OpenBase,
      "|0|" + f.home.path().string());
  EXPECT_TRUE(f.history()->isClean());

  f.answers = {source(0), pickVariable("age")};
  f.files.script(QString::fromStdString(sourcePath));
  f.click("cmdAddStub");
  EXPECT_EQ(sources.lastFileName + "|" + f.ctx.settings.OpenBase,
            "people.vq|" + f.home.file("sources"));
  const DimensionRef age = f.doc().colStub.Item("age");
  ASSERT_TRUE(age);
  // A copy: the source table keeps its own variable.
  EXPECT_NE(age.get(), sources.table->Dimensions.Item("age").get());

  // Another window offers the table read before and copies from it without a file.
  f.table(kTable, false, "second.vq");
  const std::size_t chooserCalls = f.files.calls.size();
  f.answers = {[](QDialog& d) {
                 EXPECT_EQ(d.findChild<QRadioButton*>("Option1_4")->text(), "From people.vq");
                 source(4)(d);
               },
               pickVariable("sector")};
  f.click("cmdAddHead");
  EXPECT_EQ(f.files.calls.size(), chooserCalls);
  EXPECT_EQ(names(f.doc().colHeading), (Texts{"sex", "year", "sector"}));
  EXPECT_EQ(names(first->document().colHeading), (Texts{"sex", "year"}));
}
