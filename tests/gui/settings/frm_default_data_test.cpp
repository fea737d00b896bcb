// The default data window: every control edits a copy, Save writes a file that reads
// back and hands the copy to the program, and Cancel, a cancelled file choice or a
// failed write leave the program's default data as it was. The new-variable dialog.
#include "gui/settings/frm_default_data.h"
#include "core/settings/config_folder.h"
#include "gui/settings/dlg_new_default_var.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;

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

// The program's context with the default data loaded from kFile, dialogs answered by
// `answer` (their result returned), and NewDefaultData counted.
struct Fixture : EditorWindowFrame {
  int events = 0;

  Fixture() {
    ctx.runDialog = [this](QDialog& dialog) {
      if (answer) answer(dialog);
      return dialog.result();
    };
    ctx.settings.DefaultData = home.write("default.txt", kFile).string();
    EXPECT_TRUE(ctx.defaultData.Load_data());
    ctx.defaultData.NewDefaultData.connect([this] { ++events; });
  }
};

// Types into a grid cell and leaves the edit with Return, as the user does.
void editCell(QWidget& window, const char* grid, int row, int column, const QString& text) {
  auto* table = child<QTableWidget>(window, grid);
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

// Answers the new-variable dialog: types the name and presses the buttons in turn.
std::function<void(QDialog&)> newVariable(const QString& name, Texts buttons = {"cmdOk"}) {
  return [name, buttons](QDialog& dialog) {
    typeOver(dialog, "txtNewVar", name);
    for (const std::string& b : buttons) press(dialog, b.c_str());
  };
}

}  // namespace

// Selects rows 0 and 2 of a grid and presses Delete in it.
void removeRows(QWidget& window, const char* grid) {
  auto* table = child<QTableWidget>(window, grid);
  table->clearSelection();
  for (const int row : {0, 2}) {
    table->selectionModel()->select(table->model()->index(row, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  table->setFocus();
  QTest::keyClick(table, Qt::Key_Delete);
}

TEST(DefaultDataWindow, EveryControlWritesTheCopyAndCancelChangesNothingButSaveReachesAWindow) {
  Fixture f;
  const std::string before = dump(f.ctx.defaultData);
  frmDefaultData w(f.ctx);
  w.show();
  const char* boxes[] = {"txtContact", "txtSource", "txtDataBase", "txtBy", "txtAnd"};
  const char* texts[] = {"Bo Ek", "Survey", "Db", "by", "and"};
  for (int i = 0; i < 5; ++i) typeOver(w, boxes[i], texts[i]);
  // Units: a row changed, one added in the empty last row, an empty last row adds none.
  editCell(w, "sprUnits", 1, 0, "kg");
  editCell(w, "sprUnits", 2, 0, "SEK");
  editCell(w, "sprUnits", 3, 0, "");
  removeRows(w, "sprUnits");
  // Sex: a code changed, a reorder cancelled and one done (Women first), then rows 0 and 2
  // deleted (the second the empty row): Men is left.
  editCell(w, "sprValues", 0, 0, "01");
  f.answer = [](QDialog& order) { press(order, "cmdCancel"); };
  press(w, "cmdNewOrder");
  f.answer = [](QDialog& order) {
    child<QListWidget>(order, "List1")->item(1)->setSelected(true);
    for (const char* button : {"cmdMoveTo", "cmdMoveRest", "cmdOk"}) press(order, button);
  };
  press(w, "cmdNewOrder");
  removeRows(w, "sprValues");
  // Region: a value added in the empty last row, and a code in the next one.
  child<QListWidget>(w, "lstVar")->setCurrentRow(1);
  editCell(w, "sprValues", 3, 1, "West");
  editCell(w, "sprValues", 4, 0, "X");
  // A refused name adds nothing (the user then cancels); a new one is trimmed and selected.
  f.answer = newVariable("SEX", {"cmdOk", "cmdCancel"});
  press(w, "cmdNewVariable");
  f.answer = newVariable(" Age ");
  press(w, "cmdNewVariable");
  EXPECT_EQ(child<QListWidget>(w, "lstVar")->currentRow(), 2);
  EXPECT_EQ(dump(w.workingCopy()),
            "Bo Ek|Survey|Db|by|and\nunits: kg\nSex+: 01|Men\n"
            "Region-: |North |South |East |West X|\nAge-:");

  press(w, "cmdCancel");
  EXPECT_EQ(dump(f.ctx.defaultData), before);
  EXPECT_EQ(TempFolder::read(f.ctx.settings.DefaultData), kFile);
  EXPECT_EQ(f.events, 0);

  // Opened from an editor window, its save reaches that window at once.
  frmCreateVq* editor = f.openText(
      "MATRIX=\"T1\";TITLE=\"Sales by region. \";CONTENTS=\"Sales\";DECIMALS=0;"
      "STUB=\"region\";UNITS=\"tonnes\";VALUES(\"region\")=\"North\",\"South\";DATA=1 2;");
  ASSERT_TRUE(editor);
  auto* units = child<QComboBox>(*editor, "cmbUnits");
  f.answer = [&](QDialog& dialog) {
    editCell(dialog, "sprUnits", 2, 0, "pieces");
    f.files.script(QString::fromStdString(f.ctx.settings.DefaultData));
    press(dialog, "cmdOK");
  };
  // The editor's View menu holds the item too, as its menus take the frame's place.
  editor->findChild<QAction*>("mnuEditDefault")->trigger();
  EXPECT_EQ(units->itemText(2), "pieces");
  EXPECT_EQ(units->currentText(), "tonnes");  // the table's own unit stays
  EXPECT_FALSE(editor->isChanged());
}

TEST(DefaultDataWindow, TheNewVariableDialogTakesOnlyANewStorableNameAndNoVariablesShowNoRow) {
  // The typed name, the button, then the dialog's answer, what the user is told ("" for
  // nothing), and its result (-1: it stays open).
  const std::tuple<const char*, const char*, int> table[] = {
      {"", "", QDialog::Accepted},  // no name: nothing is added
      {"sex", kStandardNameInUse, -1},
      {"a=b", kStandardNameNotKey, -1},
  };
  for (const auto& [typed, message, result] : table) {
    SCOPED_TRACE(typed);
    Fixture f;
    dlgNewDefaultVar dialog(f.ctx.defaultData, f.prompt);
    dialog.show();
    typeOver(dialog, "txtNewVar", typed);
    press(dialog, "cmdOk");
    EXPECT_EQ(dialog.name, "");
    EXPECT_EQ(f.prompt.asked.empty() ? "" : f.prompt.asked[0].text, message);
    EXPECT_EQ(dialog.isVisible() ? -1 : dialog.result(), result);
  }

  // Without standard variables nothing is selected and there is no value row.
  Fixture f;
  f.ctx.defaultData.CopyFrom(DefaultData(f.ctx.settings));
  frmDefaultData empty(f.ctx);
  EXPECT_EQ(child<QListWidget>(empty, "lstVar")->currentRow(), -1);
  EXPECT_EQ(child<QTableWidget>(empty, "sprValues")->rowCount(), 0);
  EXPECT_FALSE(child<QPushButton>(empty, "cmdNewOrder")->isEnabled());
}

TEST(DefaultDataWindow, SaveHandsTheCopyToTheProgramAfterACancelledChoiceOrAFailedWrite) {
  Fixture f;
  // The shipped file is a copy here; the program never writes it, whatever is chosen.
  const std::string shipped = f.home.write("share/default_data.ini", kFile).string();
  f.ctx.settings.shippedDefaultData = shipped;
  f.ctx.settings.DefaultData.clear();
  ASSERT_TRUE(f.ctx.defaultData.Load_data());
  const std::string before = dump(f.ctx.defaultData);
  const int loads = f.events;
  frmDefaultData w(f.ctx);
  w.show();
  typeOver(w, "txtContact", "Åsa Öberg");
  editCell(w, "sprUnits", 2, 0, "SEK, thousands");
  f.answer = newVariable("Age");
  press(w, "cmdNewVariable");
  editCell(w, "sprValues", 0, 1, "0-19, young");  // a comma in a text without codes
  editCell(w, "sprValues", 1, 0, "20");
  editCell(w, "sprValues", 1, 1, "20-");
  child<QListWidget>(w, "lstVar")->setCurrentRow(0);
  editCell(w, "sprValues", 0, 0, "");  // Sex keeps its codes through the second value
  press(w, "cmdOK");                   // the file dialog is cancelled
  EXPECT_TRUE(w.isVisible());
  // A save dialog (the file may be new) offers a file of the user's own, not the shipped one.
  const std::string mine = (configFolder() / "default_data.ini").string();
  EXPECT_EQ(f.files.calls.back().kind, ScriptedFileChooser::Kind::Save);
  EXPECT_EQ(f.files.calls.back().request.fileName.toStdString(), mine);

  // The shipped file chosen: the write is refused and says so.
  f.files.script(QString::fromStdString(shipped));
  press(w, "cmdOK");
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(
      f.prompt.asked.back().text.starts_with("The default data could not be saved to " + shipped));
  EXPECT_EQ(TempFolder::read(shipped), kFile);
  EXPECT_EQ(f.ctx.settings.DefaultData, "");
  EXPECT_EQ(dump(f.ctx.defaultData), before);

  // The window is still whole: a Save to the offered file goes through and hands the copy
  // to the program (what the file reads back as is checked in tests/core/settings).
  f.files.script(QString::fromStdString(mine));
  press(w, "cmdOK");
  EXPECT_NE(TempFolder::read(f.ctx.settings.iniFile()).find("Defaultdata=" + mine),
            std::string::npos);
  EXPECT_EQ(f.events, loads + 1);
  EXPECT_EQ(dump(f.ctx.defaultData),
            "Åsa Öberg|Office|Base|efter|och\nunits: persons tonnes SEK, thousands\n"
            "Sex+: |Men 2|Women\nRegion-: |North |South |East\nAge+: |0-19, young 20|20-");
  // The program's variables are not the window's: a later window starts from them.
  EXPECT_NE(f.ctx.defaultData.GetDefaultVar("Age"), w.workingCopy().GetDefaultVar("Age"));
}
