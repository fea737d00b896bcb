// The "Va&lueNotes" and "CellN&otes" pages and the new-cell-note dialog: what they show,
// every edit as one undo step that counts as a change, and the notes saved and read back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>
#include <string>
#include <vector>

#include "gui/editor/dialogs/dlg_new_cell_note.h"
#include "gui/editor/dimension_tree.h"
#include "gui/editor/frm_create_vq.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/loaded_table.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// Region (with codes) by sex in the stub, the years in the heading; "South" has only a
// NOTEX, "North" a NOTE, the region variable a NOTE, and one cell note.
constexpr const char* kTable =
    "CHARSET=\"ANSI\";\r\n"
    "MATRIX=\"NP01\";\r\n"
    "SUBJECT-AREA=\"Test\";\r\n"
    "SUBJECT-CODE=\"T\";\r\n"
    "TITLE=\"People by region, sex and time\";\r\n"
    "CONTENTS=\"People\";\r\n"
    "UNITS=\"number\";\r\n"
    "DECIMALS=0;\r\n"
    "STUB=\"region\",\"sex\";\r\n"
    "HEADING=\"time\";\r\n"
    "VALUES(\"region\")=\"North\",\"South\",\"East\";\r\n"
    "VALUES(\"sex\")=\"men\",\"women\";\r\n"
    "VALUES(\"time\")=\"2020\",\"2021\";\r\n"
    "CODES(\"region\")=\"01\",\"02\",\"03\";\r\n"
    "NOTE(\"region\")=\"Borders#of 2020\";\r\n"
    "VALUENOTE(\"region\",\"North\")=\"Far north\";\r\n"
    "VALUENOTEX(\"region\",\"South\")=\"Must read\";\r\n"
    "CELLNOTE(\"*\",\"women\",\"2021\")=\"Women 2021\";\r\n"
    "DATA=\r\n1 2\r\n3 4\r\n5 6\r\n7 8\r\n9 10\r\n11 12;\r\n";

// A main window with one table open.
struct Page : EditorWindowFrame {
  frmCreateVq* editor = nullptr;

  explicit Page(const char* text = kTable, int page = frmCreateVq::ValueNotes) {
    editor = openText(text);
    editor->tabs()->setCurrentIndex(page);
  }
  VexaMess& doc() { return editor->document(); }
  QUndoStack* history() { return editor->undoStack(); }
  template <typename T>
  T* get(const char* name) {
    return test::child<T>(*editor, name);
  }
  bool shown(const char* name) { return get<QWidget>(name)->isVisibleTo(editor); }
  QString text(const char* box) { return get<QPlainTextEdit>(box)->toPlainText(); }
  // Clicks a node of a tree by its text.
  static void choose(QTreeWidget* tree, const char* name) {
    const auto found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << name;
    tree->setCurrentItem(found.front());
  }
  void choose(const char* name) { choose(get<QTreeWidget>("varTree2"), name); }
  // Types into a note box as a user does: it takes the focus, gets the keys, loses it.
  void type(const char* box, const char* keys) {
    auto* edit = get<QPlainTextEdit>(box);
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, keys);
    edit->clearFocus();
  }
};

std::vector<std::string> topLevel(QTreeWidget* tree) {
  std::vector<std::string> names;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    names.push_back(tree->topLevelItem(i)->text(0).toStdString());
  return names;
}

}  // namespace

TEST(ValueNotesPage, AVariableShowsItsNotesAndItsValuesWithMarksAndCodes) {
  Page p;
  auto* tree = p.get<QTreeWidget>("varTree2");
  EXPECT_EQ(topLevel(tree), (std::vector<std::string>{"Stub", "Heading"}));
  // The page starts on the "Stub" group: nothing to edit yet.
  EXPECT_FALSE(p.shown("chkVarNote"));
  EXPECT_FALSE(p.shown("chkVarValNote"));
  EXPECT_FALSE(p.get<QListWidget>("lstVarValue")->isEnabled());

  p.choose("region");
  EXPECT_TRUE(p.get<QCheckBox>("chkVarNote")->isChecked());
  EXPECT_EQ(p.text("txtVarNote"), "Borders\nof 2020");
  EXPECT_TRUE(p.shown("chkVarNotex"));
  EXPECT_FALSE(p.get<QCheckBox>("chkVarNotex")->isChecked());
  EXPECT_FALSE(p.shown("txtVarNotex"));
  // A Notex alone marks its value too.
  EXPECT_EQ(listTexts(p.get<QListWidget>("lstVarValue")),
            (std::vector<std::string>{"*\t01  North", "*\t02  South", " \t03  East"}));
  EXPECT_EQ(p.get<QListWidget>("lstVarValue")->currentRow(), 0);
  EXPECT_TRUE(p.get<QCheckBox>("chkVarValNote")->isChecked());
  EXPECT_EQ(p.text("txtVarValNote"), "Far north");
  EXPECT_FALSE(p.get<QCheckBox>("chkVarValNotex")->isChecked());
  p.get<QListWidget>("lstVarValue")->setCurrentRow(1);
  EXPECT_FALSE(p.get<QCheckBox>("chkVarValNote")->isChecked());
  EXPECT_FALSE(p.shown("txtVarValNote"));
  EXPECT_TRUE(p.get<QCheckBox>("chkVarValNotex")->isChecked());
  EXPECT_EQ(p.text("txtVarValNotex"), "Must read");

  p.choose("sex");  // without codes
  EXPECT_EQ(listTexts(p.get<QListWidget>("lstVarValue")),
            (std::vector<std::string>{" \tmen", " \twomen"}));
  p.choose("Heading");
  EXPECT_FALSE(p.shown("chkVarNote"));
  EXPECT_EQ(p.get<QListWidget>("lstVarValue")->count(), 0);
  EXPECT_FALSE(p.editor->isChanged());

  // Without heading variables the trees hold the "Stub" group only.
  Page stubOnly(
      "MATRIX=\"S1\";\r\nSTUB=\"region\";\r\nVALUES(\"region\")=\"North\",\"South\";\r\n"
      "DATA=\r\n1\r\n2;\r\n");
  EXPECT_EQ(topLevel(stubOnly.get<QTreeWidget>("varTree2")), (std::vector<std::string>{"Stub"}));
}

TEST(ValueNotesPage, EveryNoteEditIsOneStepAndUndoKeepsTheChosenValue) {
  Page p;
  p.choose("region");
  auto* list = p.get<QListWidget>("lstVarValue");
  list->setCurrentRow(2);  // East, without notes
  EXPECT_EQ(p.history()->count(), 0);

  // Ticking shows an empty box; typing in it is one step, and the mark follows.
  p.get<QCheckBox>("chkVarValNote")->click();
  EXPECT_TRUE(p.shown("txtVarValNote"));
  EXPECT_EQ(p.history()->count(), 0);
  p.type("txtVarValNote", "East");
  EXPECT_EQ(p.history()->count(), 1);
  ValueAndCode& east = *p.doc().Get_Dimension("region")->ValueCode.Item(3);
  EXPECT_EQ(east.Note, "East");
  EXPECT_EQ(list->item(2)->text(), "*\t03  East");
  EXPECT_TRUE(p.editor->isChanged());

  // A line break is kept as CR LF, as the reader makes them.
  p.get<QCheckBox>("chkVarValNotex")->click();
  p.get<QPlainTextEdit>("txtVarValNotex")->setFocus();
  QTest::keyClicks(p.get<QPlainTextEdit>("txtVarValNotex"), "a");
  QTest::keyClick(p.get<QPlainTextEdit>("txtVarValNotex"), Qt::Key_Return);
  QTest::keyClicks(p.get<QPlainTextEdit>("txtVarValNotex"), "b");
  p.get<QPlainTextEdit>("txtVarValNotex")->clearFocus();
  EXPECT_EQ(east.Notex, "a\r\nb");
  EXPECT_EQ(p.history()->count(), 2);

  // Unticking a value's Note deletes its text at once, in one step.
  p.get<QCheckBox>("chkVarValNote")->click();
  EXPECT_EQ(east.Note, "");
  EXPECT_FALSE(p.shown("txtVarValNote"));
  EXPECT_EQ(p.history()->count(), 3);
  p.get<QCheckBox>("chkVarValNotex")->click();
  EXPECT_EQ(list->item(2)->text(), " \t03  East");

  // Undo gives the note back, with the variable and the value still chosen.
  p.history()->undo();
  p.history()->undo();
  EXPECT_EQ(east.Note, "East");
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_EQ(p.text("txtVarValNote"), "East");
  EXPECT_EQ(list->item(2)->text(), "*\t03  East");
  p.history()->undo();
  p.history()->undo();
  EXPECT_EQ(east.Note, "");
  EXPECT_FALSE(p.editor->isChanged());

  // The variable's note: unticking only hides the box, the note stays; typing is a step.
  DimensionData& region = *p.doc().Get_Dimension("region");
  p.get<QCheckBox>("chkVarNote")->click();
  EXPECT_FALSE(p.shown("txtVarNote"));
  EXPECT_EQ(region.Note, "Borders\r\nof 2020");
  EXPECT_EQ(p.history()->index(), 0);
  p.get<QCheckBox>("chkVarNotex")->click();
  p.type("txtVarNotex", "xy");
  EXPECT_EQ(region.Notex, "xy");
  EXPECT_EQ(p.history()->count(), 1);  // the typing merged
  p.history()->undo();
  EXPECT_EQ(region.Notex, "");
}

TEST(ValueNotesPage, AVariableWithoutValuesShowsAnEmptyListWithoutAValue) {
  Page p;
  p.doc().addDimension("empty", 0);
  p.editor->tabs()->setCurrentIndex(frmCreateVq::Footnotes);
  p.editor->tabs()->setCurrentIndex(frmCreateVq::ValueNotes);
  p.choose("empty");
  EXPECT_EQ(p.get<QListWidget>("lstVarValue")->count(), 0);
  EXPECT_FALSE(p.shown("chkVarValNote"));
  EXPECT_TRUE(p.shown("chkVarNote"));
}

TEST(CellNotesPage, ANoteShowsItsKeyAndTextsAndTypingIsAStepThatCountsAsAChange) {
  Page p(kTable, frmCreateVq::CellNotes);
  auto* list = p.get<QListWidget>("lstCellNotes");
  EXPECT_EQ(listTexts(list), (std::vector<std::string>{R"("*","women","2021")"}));
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(p.get<QLineEdit>("txtCNoteKey")->text(), R"("*","women","2021")");
  EXPECT_TRUE(p.get<QLineEdit>("txtCNoteKey")->isReadOnly());
  EXPECT_EQ(p.text("txtCellNote"), "Women 2021");
  EXPECT_EQ(p.text("txtCellNoteX"), "");
  EXPECT_FALSE(p.editor->isChanged());

  p.type("txtCellNoteX", "must");
  p.type("txtCellNote", "!");
  const CellNoteRef note = p.doc().Cellnotes.Item(1);
  EXPECT_EQ(note->Notex, "must");
  EXPECT_EQ(note->Note, "Women 2021!");
  EXPECT_EQ(p.history()->count(), 2);
  EXPECT_TRUE(p.editor->isChanged());  // closing would ask
  p.history()->undo();
  EXPECT_EQ(note->Note, "Women 2021");
  EXPECT_EQ(p.text("txtCellNote"), "Women 2021");
}

TEST(CellNotesPage, DeleteIsAStepAndUndoPutsTheNoteBackAtItsPlace) {
  Page p(kTable, frmCreateVq::CellNotes);
  auto* list = p.get<QListWidget>("lstCellNotes");
  auto first = p.doc().Cellnotes.Item(1);
  auto second = std::make_shared<CellNote>();
  for (int i = 0; i < 3; ++i) second->Values().Add(p.doc().AllVals);
  p.doc().Cellnotes.Add(second);
  p.editor->tabs()->setCurrentIndex(frmCreateVq::Footnotes);
  p.editor->tabs()->setCurrentIndex(frmCreateVq::CellNotes);
  ASSERT_EQ(list->count(), 2);

  p.get<QPushButton>("cmdDeleteCellNote")->click();
  EXPECT_EQ(p.doc().Cellnotes.Count(), 1);
  EXPECT_EQ(listTexts(list), (std::vector<std::string>{R"("*","*","*")"}));
  p.history()->undo();
  EXPECT_EQ(p.doc().Cellnotes.Item(1), first);
  EXPECT_EQ(list->count(), 2);

  // With no note left the boxes hide; Delete then does nothing.
  list->setCurrentRow(1);
  p.get<QPushButton>("cmdDeleteCellNote")->click();
  list->setCurrentRow(0);
  p.get<QPushButton>("cmdDeleteCellNote")->click();
  EXPECT_EQ(list->count(), 0);
  EXPECT_FALSE(p.shown("txtCellNote"));
  EXPECT_FALSE(p.shown("lblCnoteKey"));
  const int steps = p.history()->count();
  p.get<QPushButton>("cmdDeleteCellNote")->click();
  EXPECT_EQ(p.history()->count(), steps);
  p.history()->undo();
  p.history()->undo();
  EXPECT_EQ(p.doc().Cellnotes.NewEnum(), (CellNoteColl::Items{first, second}));
}

TEST(CellNotesPage, TheDialogBuildsTheAddressAndRefusesACellThatHasANote) {
  Page p(kTable, frmCreateVq::CellNotes);
  std::string key;
  bool listShownAtStart = true;
  p.answer = [&](QDialog& dialog) {
    auto* tree = dialog.findChild<QTreeWidget*>("VarTree");
    auto* list = dialog.findChild<QListWidget*>("List1");
    listShownAtStart = list->isVisibleTo(&dialog);
    key = dialog.findChild<QLineEdit*>("txtKey")->text().toStdString();
    // A value for "sex", then "*" again: the entry is all values once more.
    Page::choose(tree, "sex");
    EXPECT_TRUE(list->isVisibleTo(&dialog));
    EXPECT_EQ(listTexts(list), (std::vector<std::string>{"*", "men", "women"}));
    list->setCurrentRow(2);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("txtKey")->text(), R"("*","women","*")");
    list->setCurrentRow(0);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("txtKey")->text(), R"("*","*","*")");
    Page::choose(tree, "time");
    list->setCurrentRow(1);
    Page::choose(tree, "sex");  // its entry is chosen again
    EXPECT_EQ(list->currentRow(), 0);
    Page::choose(tree, "time");
    EXPECT_EQ(list->currentRow(), 1);
    list->setCurrentRow(0);
    dialog.findChild<QPushButton*>("cmdOk")->click();
  };
  p.get<QPushButton>("cmdCreateCellNote")->click();
  EXPECT_FALSE(listShownAtStart);
  EXPECT_EQ(key, R"("*","*","*")");
  ASSERT_EQ(p.doc().Cellnotes.Count(), 2);
  EXPECT_EQ(p.doc().Cellnotes.Item(2)->Vstr(), R"("*","*","*")");
  EXPECT_EQ(p.doc().Cellnotes.Item(2)->Values().Item(1), p.doc().AllVals);
  EXPECT_EQ(p.get<QListWidget>("lstCellNotes")->currentRow(), 1);  // the new note, to type in
  EXPECT_EQ(p.history()->count(), 1);

  // A second note on every cell is refused and the dialog stays open.
  bool open = false;
  p.answer = [&](QDialog& dialog) {
    dialog.show();
    dialog.findChild<QPushButton*>("cmdOk")->click();
    open = dialog.isVisible();
    dialog.findChild<QPushButton*>("cmdCancel")->click();
  };
  p.get<QPushButton>("cmdCreateCellNote")->click();
  EXPECT_TRUE(open);
  EXPECT_TRUE(p.asked("Cellnote for this cell exists"));
  EXPECT_EQ(p.doc().Cellnotes.Count(), 2);
  EXPECT_EQ(p.history()->count(), 1);

  p.history()->undo();
  EXPECT_EQ(p.doc().Cellnotes.Count(), 1);
  EXPECT_EQ(p.get<QListWidget>("lstCellNotes")->count(), 1);
}

TEST(CellNotesPage, TheDialogRefusesANoteTheTableWouldHoldByTextAsWell) {
  // Two values of the same text: the file cannot tell them apart, so neither can the dialog.
  Page p(
      "MATRIX=\"D1\";\r\nSTUB=\"region\";\r\nHEADING=\"time\";\r\n"
      "VALUES(\"region\")=\"North\",\"South\";\r\nVALUES(\"time\")=\"2020\";\r\n"
      "CELLNOTE(\"North\",\"*\")=\"n\";\r\nDATA=\r\n1\r\n2;\r\n",
      frmCreateVq::CellNotes);
  DimensionData& region = *p.doc().Get_Dimension("region");
  region.ValueCode.Item(2)->value = "North";
  p.answer = [&](QDialog& dialog) {
    Page::choose(dialog.findChild<QTreeWidget*>("VarTree"), "region");
    dialog.findChild<QListWidget*>("List1")->setCurrentRow(2);
    dialog.findChild<QPushButton*>("cmdOk")->click();
    EXPECT_EQ(static_cast<dlgNewCellNote&>(dialog).note, nullptr);
  };
  p.get<QPushButton>("cmdCreateCellNote")->click();
  EXPECT_TRUE(p.asked("Cellnote for this cell exists"));
  EXPECT_EQ(p.doc().Cellnotes.Count(), 1);
}

TEST(CellNotesPage, TheControlsShowOnlyForACompleteStructureAndAnEmptyListHidesTheBoxes) {
  Page incomplete("MATRIX=\"I1\";\r\nSTUB=\"region\";\r\n", frmCreateVq::CellNotes);
  EXPECT_FALSE(incomplete.shown("lstCellNotes"));
  Page empty(
      "MATRIX=\"E1\";\r\nSTUB=\"region\";\r\nHEADING=\"time\";\r\n"
      "VALUES(\"region\")=\"North\";\r\nVALUES(\"time\")=\"2020\";\r\nDATA=\r\n1;\r\n",
      frmCreateVq::CellNotes);
  EXPECT_TRUE(empty.shown("lstCellNotes"));
  EXPECT_TRUE(empty.shown("cmdCreateCellNote"));
  for (const char* hidden :
       {"lblCnoteKey", "txtCNoteKey", "lblCnotex", "txtCellNoteX", "lblCnote", "txtCellNote"}) {
    EXPECT_FALSE(empty.shown(hidden)) << hidden;
  }
}

TEST(NotesPages, VisitingAndChoosingAsksNothingAndTheNotesAreSavedAndReadBack) {
  Page p;
  p.choose("region");
  p.get<QListWidget>("lstVarValue")->setCurrentRow(1);
  p.choose("time");
  p.editor->tabs()->setCurrentIndex(frmCreateVq::CellNotes);
  p.editor->tabs()->setCurrentIndex(frmCreateVq::ValueNotes);
  EXPECT_FALSE(p.editor->isChanged());
  const auto questions = p.prompt.asked.size();
  EditorWindowFrame::close(p.editor);
  EXPECT_EQ(p.prompt.asked.size(), questions);

  Page q;
  q.choose("time");
  q.get<QCheckBox>("chkVarValNote")->click();
  q.type("txtVarValNote", "First year");
  q.choose("sex");
  q.get<QCheckBox>("chkVarNotex")->click();
  q.type("txtVarNotex", "Two");
  q.editor->tabs()->setCurrentIndex(frmCreateVq::CellNotes);
  q.answer = [](QDialog& dialog) {
    Page::choose(dialog.findChild<QTreeWidget*>("VarTree"), "region");
    dialog.findChild<QListWidget*>("List1")->setCurrentRow(3);
    dialog.findChild<QPushButton*>("cmdOk")->click();
  };
  q.get<QPushButton>("cmdCreateCellNote")->click();
  q.type("txtCellNoteX", "East only");
  const std::string path = q.saveAs(q.editor, "notes.vq");
  ASSERT_FALSE(path.empty());

  Loaded back(path);
  ASSERT_EQ(back.result, LoadResult::Loaded);
  EXPECT_EQ(unwrapped(back.value("time", 1)->Note), "First year");
  EXPECT_EQ(unwrapped(back.doc.Get_Dimension("sex")->Notex), "Two");
  EXPECT_EQ(unwrapped(back.value("region", 1)->Note), "Far north");
  EXPECT_EQ(unwrapped(back.value("region", 2)->Notex), "Must read");
  ASSERT_EQ(back.doc.Cellnotes.Count(), 2);
  EXPECT_EQ(back.doc.Cellnotes.Item(2)->Vstr(), R"("East","*","*")");
  EXPECT_EQ(unwrapped(back.doc.Cellnotes.Item(2)->Notex), "East only");
}
