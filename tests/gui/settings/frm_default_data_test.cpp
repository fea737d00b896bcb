// The default data window: every control edits a copy, Save writes a file that reads
// back and hands the copy to the program, and Cancel, a cancelled file choice or a
// failed write leave the program's default data as it was. The new-variable dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gui/editor/frm_create_vq.h"
#include "gui/shared/app_context.h"
#include "core/settings/config_folder.h"
#include "gui/settings/dlg_new_default_var.h"
#include "gui/settings/frm_default_data.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/scripted_file_chooser.h"
#include "support/temp_folder.h"

using namespace zendra;
using Texts = std::vector<std::string>;

namespace {

constexpr const char* kFile =
    "[Constants]\nContact=Ann Berg\nSource=Office\nDatabase=Base\nBy=efter\nAnd=och\n"
    "[Varreg]\nVar1=Sex\nVar2=Region\n[Units]\nU1=persons\nU2=tonnes\n"
    "[Sex]\nSex1=1,Men\nSex2=2,Women\n[Region]\nRegion1=North\nRegion2=South\nRegion3=East\n";

// Everything the default data holds, as one text; a variable that uses codes is marked "+".
std::string dump(const DefaultData& d) {
  std::string out =
      d.Contact + "|" + d.Source + "|" + d.Database + "|" + d.Bytext + "|" + d.Andtext + "\nunits:";
  for (const std::string& unit : d.Units) out += " " + unit;
  for (const std::string& name : d.Variable) {
    const DimensionRef v = d.GetDefaultVar(name);
    out += "\n" + name + (v->UseCodes ? "+" : "-") + ":";
    for (const ValueRef& value : v->ValueCode) out += " " + value->code + "|" + value->value;
  }
  return out;
}

// A grid's rows, cells joined by "|"; a cell without an item shows as "".
Texts rows(const QTableWidget* grid) {
  Texts out;
  for (int row = 0; row < grid->rowCount(); ++row) {
    std::string line;
    for (int column = 0; column < grid->columnCount(); ++column) {
      if (column > 0) line += "|";
      if (const QTableWidgetItem* item = grid->item(row, column)) line += stdString(item->text());
    }
    out.push_back(line);
  }
  return out;
}

// The program's context with the default data loaded from kFile, dialogs answered by
// `answer`, and NewDefaultData counted.
struct Fixture {
  test::TempFolder dir;
  AppContext ctx;
  ScriptedPrompt prompt;
  test::ScriptedFileChooser files;
  std::function<void(QDialog&)> answer;
  int events = 0;

  Fixture() {
    ctx.prompt = &prompt;
    ctx.files = &files;
    ctx.runDialog = [this](QDialog& dialog) {
      if (answer) answer(dialog);
      return dialog.result();
    };
    ctx.settings.DefaultData = dir.write("default.txt", kFile).string();
    EXPECT_TRUE(ctx.defaultData.Load_data());
    ctx.defaultData.NewDefaultData.connect([this] { ++events; });
  }
  bool asked(std::string_view start) const {
    for (const auto& q : prompt.asked) {
      if (q.text.starts_with(start)) return true;
    }
    return false;
  }
};

template <typename T>
T* get(QWidget& window, const char* name) {
  return test::child<T>(window, name);
}

void type(QWidget& window, const char* box, const QString& text) {
  auto* edit = get<QLineEdit>(window, box);
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

// Types into a grid cell and leaves the edit with Return, as the user does.
void editCell(QWidget& window, const char* grid, int row, int column, const QString& text) {
  auto* table = get<QTableWidget>(window, grid);
  table->setCurrentCell(row, column);
  table->edit(table->model()->index(row, column));
  auto* editor = table->viewport()->findChild<QLineEdit*>();
  ASSERT_TRUE(editor) << grid;
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Backspace);
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  // The grid takes the text and closes the editor once the events are handled.
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Selects the rows and presses Delete in the grid.
void deleteRows(QWidget& window, const char* grid, std::initializer_list<int> selected) {
  auto* table = get<QTableWidget>(window, grid);
  table->clearSelection();
  for (const int row : selected) {
    table->selectionModel()->select(table->model()->index(row, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  table->setFocus();
  QTest::keyClick(table, Qt::Key_Delete);
}

void click(QWidget& window, const char* button) {
  get<QPushButton>(window, button)->click();
}

// Answers the new-variable dialog: types the name and presses the buttons in turn.
std::function<void(QDialog&)> newVariable(const QString& name, Texts buttons = {"cmdOk"}) {
  return [name, buttons](QDialog& dialog) {
    type(dialog, "txtNewVar", name);
    for (const std::string& b : buttons) click(dialog, b.c_str());
  };
}

}  // namespace

TEST(DefaultDataWindow, OpensWithTheConstantsTheUnitsAndTheFirstVariablesValues) {
  Fixture f;
  frmDefaultData w(f.ctx);
  EXPECT_EQ(w.windowTitle(), "Default data for Zendra");
  const char* boxes[][3] = {{"txtContact", "lblContact", "Contact"},
                            {"txtSource", "lblSource", "Source"},
                            {"txtDataBase", "lblDataBase", "Database"},
                            {"txtBy", "lblBy", "By-text"},
                            {"txtAnd", "lblAnd", "And-text"}};
  Texts shown;
  for (const auto& [box, label, caption] : boxes) {
    EXPECT_EQ(get<QLabel>(w, label)->text(), caption);
    shown.push_back(stdString(get<QLineEdit>(w, box)->text()));
  }
  EXPECT_EQ(shown, (Texts{"Ann Berg", "Office", "Base", "efter", "och"}));
  EXPECT_EQ(get<QLineEdit>(w, "txtBy")->toolTip(), "Used to create the Title 'Units by stub ..'");
  EXPECT_FALSE(get<QLineEdit>(w, "txtAnd")->toolTip().isEmpty());
  EXPECT_EQ(get<QLabel>(w, "lblVar")->text(), "Variables:");
  EXPECT_EQ(get<QLabel>(w, "lblUnits")->text(), "Units:");
  const char* buttons[][2] = {{"cmdNewVariable", "Create new Variable"},
                              {"cmdNewOrder", "Change order"},
                              {"cmdOK", "Save"},
                              {"cmdCancel", "Cancel"}};
  for (const auto& [name, caption] : buttons) EXPECT_EQ(get<QPushButton>(w, name)->text(), caption);

  auto* list = get<QListWidget>(w, "lstVar");
  EXPECT_EQ(test::listTexts(list), (Texts{"Sex", "Region"}));
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(rows(get<QTableWidget>(w, "sprValues")), (Texts{"1|Men", "2|Women", "|"}));
  EXPECT_EQ(rows(get<QTableWidget>(w, "sprUnits")), (Texts{"persons", "tonnes", ""}));
  list->setCurrentRow(1);
  EXPECT_EQ(rows(get<QTableWidget>(w, "sprValues")), (Texts{"|North", "|South", "|East", "|"}));

  // Without standard variables nothing is selected and there is no row to add a value to.
  f.ctx.defaultData.CopyFrom(DefaultData(f.ctx.settings));
  frmDefaultData empty(f.ctx);
  EXPECT_EQ(get<QListWidget>(empty, "lstVar")->currentRow(), -1);
  EXPECT_EQ(get<QTableWidget>(empty, "sprValues")->rowCount(), 0);
  EXPECT_FALSE(get<QPushButton>(empty, "cmdNewOrder")->isEnabled());
  EXPECT_EQ(rows(get<QTableWidget>(empty, "sprUnits")), (Texts{""}));
}

TEST(DefaultDataWindow, EveryControlWritesTheCopyAndCancelLeavesTheDefaultDataAsItWas) {
  using Act = std::function<void(frmDefaultData&, Fixture&)>;
  struct Row {
    const char* control;
    Act act;
    std::function<std::string(const DefaultData&)> field;
    std::string expected;
    Texts grid = {};  // the grid that shows the field afterwards, when there is one
  };
  // One line of the dump: the constants, the units or one variable.
  auto line = [](std::string start) {
    return [start](const DefaultData& d) {
      const std::string all = "\n" + dump(d) + "\n";
      const auto at = all.find("\n" + start) + 1;
      return all.substr(at, all.find('\n', at) - at);
    };
  };
  const auto units = line("units:"), sex = line("Sex"), region = line("Region"),
             constants = line("");
  const Row table[] = {
      {"txtContact", [](auto& w, auto&) { type(w, "txtContact", "Bo Ek"); }, constants,
       "Bo Ek|Office|Base|efter|och"},
      {"txtSource", [](auto& w, auto&) { type(w, "txtSource", "Survey"); }, constants,
       "Ann Berg|Survey|Base|efter|och"},
      {"txtDataBase", [](auto& w, auto&) { type(w, "txtDataBase", "Db"); }, constants,
       "Ann Berg|Office|Db|efter|och"},
      {"txtBy", [](auto& w, auto&) { type(w, "txtBy", "by"); }, constants,
       "Ann Berg|Office|Base|by|och"},
      {"txtAnd", [](auto& w, auto&) { type(w, "txtAnd", "and"); }, constants,
       "Ann Berg|Office|Base|efter|and"},
      {"sprUnits row",
       [](auto& w, auto&) { editCell(w, "sprUnits", 1, 0, "kg"); },
       units,
       "units: persons kg",
       {"persons", "kg", ""}},
      {"sprUnits last row",
       [](auto& w, auto&) { editCell(w, "sprUnits", 2, 0, "SEK"); },
       units,
       "units: persons tonnes SEK",
       {"persons", "tonnes", "SEK", ""}},
      {"sprUnits empty text in the last row",
       [](auto& w, auto&) { editCell(w, "sprUnits", 2, 0, ""); },
       units,
       "units: persons tonnes",
       {"persons", "tonnes", ""}},
      {"sprUnits Delete",
       [](auto& w, auto&) {
         deleteRows(w, "sprUnits", {0, 2});
       },
       units,
       "units: tonnes",
       {"tonnes", ""}},
      {"sprValues code",
       [](auto& w, auto&) { editCell(w, "sprValues", 0, 0, "01"); },
       sex,
       "Sex+: 01|Men 2|Women",
       {"01|Men", "2|Women", "|"}},
      {"sprValues text",
       [](auto& w, auto&) { editCell(w, "sprValues", 1, 1, "Females"); },
       sex,
       "Sex+: 1|Men 2|Females",
       {"1|Men", "2|Females", "|"}},
      {"sprValues last row",
       [](auto& w, auto&) {
         get<QListWidget>(w, "lstVar")->setCurrentRow(1);
         editCell(w, "sprValues", 3, 1, "West");
         editCell(w, "sprValues", 4, 0, "X");
       },
       region,
       "Region-: |North |South |East |West X|",
       {"|North", "|South", "|East", "|West", "X|", "|"}},
      {"sprValues Delete",
       [](auto& w, auto&) {
         deleteRows(w, "sprValues", {0, 2});
       },
       sex,
       "Sex+: 2|Women",
       {"2|Women", "|"}},
      {"cmdNewOrder",
       [](auto& w, Fixture& f) {
         f.answer = [](QDialog& order) {
           auto* from = order.findChild<QListWidget*>("List1");
           from->item(1)->setSelected(true);
           click(order, "cmdMoveTo");
           click(order, "cmdMoveRest");
           click(order, "cmdOk");
         };
         click(w, "cmdNewOrder");
       },
       sex,
       "Sex+: 2|Women 1|Men",
       {"2|Women", "1|Men", "|"}},
      {"cmdNewOrder cancelled",
       [](auto& w, Fixture& f) {
         f.answer = [](QDialog& order) { click(order, "cmdCancel"); };
         click(w, "cmdNewOrder");
       },
       sex,
       "Sex+: 1|Men 2|Women",
       {"1|Men", "2|Women", "|"}},
      {"cmdNewVariable",
       [](auto& w, Fixture& f) {
         f.answer = newVariable(" Age ");
         click(w, "cmdNewVariable");
         EXPECT_EQ(test::listTexts(get<QListWidget>(w, "lstVar")), (Texts{"Sex", "Region", "Age"}));
         EXPECT_EQ(get<QListWidget>(w, "lstVar")->currentRow(), 2);
       },
       line("Age"),
       "Age-:",
       {"|"}},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(row.control);
    Fixture f;
    const std::string before = dump(f.ctx.defaultData);
    frmDefaultData w(f.ctx);
    w.show();
    row.act(w, f);
    EXPECT_EQ(row.field(w.workingCopy()), row.expected);
    const bool valueGrid = std::string(row.control).find("Units") == std::string::npos;
    if (!row.grid.empty()) {
      EXPECT_EQ(rows(get<QTableWidget>(w, valueGrid ? "sprValues" : "sprUnits")), row.grid);
    }
    EXPECT_EQ(dump(f.ctx.defaultData), before);  // only the copy changed
    click(w, "cmdCancel");
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_EQ(dump(f.ctx.defaultData), before);
    EXPECT_EQ(test::TempFolder::read(f.ctx.settings.DefaultData), kFile);
    EXPECT_EQ(f.events, 0);
  }
}

TEST(DefaultDataWindow, SaveWritesAFileThatReadsBackAndHandsTheCopyToTheProgram) {
  Fixture f;
  frmDefaultData w(f.ctx);
  w.show();
  type(w, "txtContact", "Åsa Öberg");
  editCell(w, "sprUnits", 2, 0, "SEK, thousands");
  f.answer = newVariable("Age");
  click(w, "cmdNewVariable");
  editCell(w, "sprValues", 0, 1, "0-19, young");  // a comma in a text without codes
  editCell(w, "sprValues", 1, 0, "20");
  editCell(w, "sprValues", 1, 1, "20-");
  get<QListWidget>(w, "lstVar")->setCurrentRow(0);
  editCell(w, "sprValues", 0, 0, "");  // Sex keeps its codes through the second value
  const std::string own = f.dir.file("own.txt");
  f.files.script(QString::fromStdString(own));
  click(w, "cmdOK");

  ASSERT_EQ(f.files.calls.size(), 1u);
  const auto& request = f.files.calls[0].request;
  // A save dialog with the filter of the file it offers (a file of the user's own may be new).
  EXPECT_EQ(f.files.calls[0].kind, test::ScriptedFileChooser::Kind::Save);
  EXPECT_EQ(request.title, "Select file containing default data");
  EXPECT_EQ(request.filter, qtFilter("Default data|*.txt|All-files|*.*"));
  EXPECT_EQ(request.fileName, QString::fromStdString(f.dir.file("default.txt")));

  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_TRUE(f.prompt.asked.empty());
  EXPECT_EQ(f.ctx.settings.DefaultData, own);
  EXPECT_NE(test::TempFolder::read(f.ctx.settings.iniFile()).find("Defaultdata=" + own),
            std::string::npos);
  EXPECT_EQ(test::TempFolder::read(f.dir / "default.txt"), kFile);  // the old file stays
  EXPECT_EQ(f.events, 1);

  const std::string expected =
      "Åsa Öberg|Office|Base|efter|och\nunits: persons tonnes SEK, thousands\n"
      "Sex+: |Men 2|Women\nRegion-: |North |South |East\nAge+: |0-19, young 20|20-";
  EXPECT_EQ(dump(f.ctx.defaultData), expected);
  VqVexaData settings(f.dir / "fresh.ini");
  settings.DefaultData = own;
  DefaultData fresh(settings);
  ASSERT_TRUE(fresh.Load_data());
  EXPECT_EQ(dump(fresh), expected);

  // The program's variables are not the window's: a later window starts from them.
  EXPECT_NE(f.ctx.defaultData.GetDefaultVar("Age"), w.workingCopy().GetDefaultVar("Age"));
}

TEST(DefaultDataWindow, ACancelledFileChoiceOrAFailedWriteKeepsTheWindowAndChangesNothing) {
  Fixture f;
  const std::string before = dump(f.ctx.defaultData);
  frmDefaultData w(f.ctx);
  w.show();
  type(w, "txtContact", "Bo");

  click(w, "cmdOK");  // the file dialog is cancelled
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(test::TempFolder::read(f.dir / "default.txt"), kFile);
  EXPECT_TRUE(f.prompt.asked.empty());

  // A folder where the file should be: the write fails and says so.
  f.dir.write("blocked/x", "");
  const std::string blocked = f.dir.file("blocked");
  f.files.script(QString::fromStdString(blocked));
  click(w, "cmdOK");
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_TRUE(f.asked("The default data could not be saved to " + blocked + ":\n"));
  EXPECT_EQ(f.ctx.settings.DefaultData, f.dir.file("default.txt"));
  EXPECT_FALSE(std::filesystem::exists(f.ctx.settings.iniFile()));
  EXPECT_EQ(dump(f.ctx.defaultData), before);
  EXPECT_EQ(f.events, 0);

  // The window is still whole: a Save to the preset file goes through.
  f.files.script(QString::fromStdString(f.ctx.settings.DefaultData));
  click(w, "cmdOK");
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(f.ctx.defaultData.Contact, "Bo");
  EXPECT_NE(test::TempFolder::read(f.dir / "default.txt").find("Contact=Bo\n"), std::string::npos);
}

TEST(DefaultDataWindow, TheNewVariableDialogTakesOnlyANewStorableName) {
  struct Row {
    const char* typed;
    const char* button;
    std::string name;     // the dialog's answer
    std::string message;  // what the user is told, "" for nothing
    int result;           // -1: the dialog stays open
  };
  const Row table[] = {
      {"Age", "cmdOk", "Age", "", QDialog::Accepted},
      {"  Age ", "cmdOk", "Age", "", QDialog::Accepted},
      {"", "cmdOk", "", "", QDialog::Accepted},  // no name: nothing is added
      {"sex", "cmdOk", "", kStandardNameInUse, -1},
      {" REGION", "cmdOk", "", kStandardNameInUse, -1},
      {"a=b", "cmdOk", "", kStandardNameNotKey, -1},
      {"[Age]", "cmdOk", "", kStandardNameNotKey, -1},
      {"Age", "cmdCancel", "", "", QDialog::Rejected},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(row.typed + std::string(" ") + row.button);
    Fixture f;
    dlgNewDefaultVar dialog(f.ctx.defaultData, f.prompt);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Create new Default Variable");
    EXPECT_EQ(get<QLabel>(dialog, "Label1")->text(), "Enter name of new variable");
    type(dialog, "txtNewVar", row.typed);
    click(dialog, row.button);
    EXPECT_EQ(dialog.name, row.name);
    EXPECT_EQ(f.prompt.asked.empty() ? "" : f.prompt.asked[0].text, row.message);
    EXPECT_EQ(dialog.isVisible(), row.result == -1);
    if (row.result != -1) {
      EXPECT_EQ(dialog.result(), row.result);
    }
    if (row.button == std::string("cmdCancel")) {
      EXPECT_EQ(get<QLineEdit>(dialog, "txtNewVar")->text(), "");
    }
  }

  // In the window a refused name adds nothing; the user may then cancel.
  Fixture f;
  frmDefaultData w(f.ctx);
  f.answer = newVariable("SEX", {"cmdOk", "cmdCancel"});
  click(w, "cmdNewVariable");
  EXPECT_TRUE(f.asked(kStandardNameInUse));
  EXPECT_EQ(w.workingCopy().Variable, (Texts{"Sex", "Region"}));
  EXPECT_EQ(get<QListWidget>(w, "lstVar")->count(), 2);
}

TEST(DefaultDataWindow, OpenedFromTheFrameItsSaveReachesAnOpenEditorWindowAtOnce) {
  test::EditorWindowFrame frame;
  frame.ctx.settings.DefaultData = frame.home.write("default.txt", kFile).string();
  ASSERT_TRUE(frame.ctx.defaultData.Load_data());
  frmCreateVq* editor = frame.openText(
      "CHARSET=\"ANSI\";\r\nMATRIX=\"T1\";\r\nTITLE=\"Sales by region. \";\r\n"
      "CONTENTS=\"Sales\";\r\nDECIMALS=0;\r\nSTUB=\"region\";\r\nUNITS=\"tonnes\";\r\n"
      "VALUES(\"region\")=\"North\",\"South\";\r\nDATA=\r\n1\r\n2;\r\n");
  ASSERT_TRUE(editor);
  auto* units = editor->findChild<QComboBox*>("cmbUnits");
  ASSERT_TRUE(units);
  EXPECT_EQ(units->count(), 2);

  bool shown = false;
  frame.answer = [&](QDialog& dialog) {
    shown = dialog.objectName() == "frmDefaultData";
    if (!shown) return;
    editCell(dialog, "sprUnits", 2, 0, "pieces");
    frame.files.script(QString::fromStdString(frame.ctx.settings.DefaultData));
    click(dialog, "cmdOK");
  };
  // The editor's View menu holds the item too, as its menus take the frame's place.
  auto* item = editor->findChild<QAction*>("mnuEditDefault");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->text(), "Edit &Default Data");
  EXPECT_TRUE(item->isEnabled());
  item->trigger();
  EXPECT_TRUE(shown);
  EXPECT_EQ(units->count(), 3);
  EXPECT_EQ(units->itemText(2), "pieces");
  EXPECT_EQ(units->currentText(), "tonnes");  // the table's own unit stays
  EXPECT_FALSE(editor->isChanged());
}

TEST(DefaultDataWindow, WithTheShippedDefaultDataSaveOffersAFileOfTheUsersOwn) {
  Fixture f;
  // The shipped file is a copy here; the program never writes it, whatever is chosen.
  const std::string shipped = f.dir.write("share/default_data.ini", kFile).string();
  f.ctx.settings.shippedDefaultData = shipped;
  f.ctx.settings.DefaultData.clear();
  ASSERT_TRUE(f.ctx.defaultData.Load_data());
  frmDefaultData w(f.ctx);
  w.show();
  type(w, "txtContact", "Bo");

  f.files.script(QString::fromStdString(shipped));
  click(w, "cmdOK");
  const auto& request = f.files.calls.back().request;
  EXPECT_EQ(request.fileName.toStdString(), (configFolder() / "default_data.ini").string());
  EXPECT_EQ(request.filter, qtFilter("Default data|*.ini|All-files|*.*"));
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(f.asked("The default data could not be saved to " + shipped));
  EXPECT_EQ(test::TempFolder::read(shipped), kFile);

  const std::string mine = (configFolder() / "default_data.ini").string();
  f.files.script(QString::fromStdString(mine));
  click(w, "cmdOK");
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(f.ctx.settings.DefaultData, mine);
  EXPECT_NE(test::TempFolder::read(mine).find("Contact=Bo"), std::string::npos);
}
