// The "Va&lueNotes" and "CellN&otes" pages and the new-cell-note dialog: what they show,
// every edit as one undo step that counts as a change, and the notes saved and read back.
#include "gui/editor/dialogs/dlg_new_cell_note.h"
#include "page_frame.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// The table on a notes page.
struct Page : PageFrame {
  explicit Page(const char* text = kPeople, int page = frmCreateVq::ValueNotes)
      : PageFrame(text, page) {
    tree = "varTree2";
  }
  // What the page shows of the chosen variable and value.
  std::string notes() {
    return state({"chkVarNote", "txtVarNote", "chkVarNotex", "txtVarNotex", "lstVarValue",
                  "chkVarValNote", "txtVarValNote", "chkVarValNotex", "txtVarValNotex"});
  }
  std::string cellNote() {
    return state({"lstCellNotes", "txtCNoteKey", "txtCellNote", "txtCellNoteX"});
  }
};

}  // namespace

TEST(ValueNotesPage, AVariableShowsItsNotesAndEveryNoteEditIsOneStep) {
  Page p;
  // The page starts on the "Stub" group: nothing to edit yet.
  EXPECT_EQ(p.notes(), "-|-|-|-||-|-|-|-");
  // A Notex alone marks its value too.
  p.choose("region");
  EXPECT_EQ(p.notes(),
            "on|Borders\nof 2020|off|-|*\t01  North,*\t02  South, \t03  East|on|Far north|off|-");
  auto* list = p.list("lstVarValue");
  list->setCurrentRow(1);
  EXPECT_EQ(p.notes().substr(p.notes().rfind("East|")), "East|off|-|on|Must read");
  EXPECT_FALSE(p.editor->isChanged());  // choosing a variable or a value writes nothing

  list->setCurrentRow(2);  // East, without notes
  ValueAndCode& east = p.value("region", 3);
  // Ticking shows an empty box; typing in it is one step, and the mark follows.
  p.click("chkVarValNote");
  p.append("txtVarValNote", "East");
  EXPECT_EQ(east.Note + std::to_string(p.history()->count()), "East1");
  EXPECT_EQ(list->item(2)->text(), "*\t03  East");
  // A line break is kept as CR LF, as the reader makes them.
  p.click("chkVarValNotex");
  p.append("txtVarValNotex", "a\nb");
  EXPECT_EQ(east.Notex, "a\r\nb");
  // Unticking a value's Note deletes its text at once, in one step.
  p.click("chkVarValNote");
  EXPECT_EQ(east.Note + p.state({"txtVarValNote"}) + std::to_string(p.history()->count()), "-3");
  // Undo gives the note back, with the variable and the value still chosen.
  p.history()->undo();
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_EQ(p.state({"txtVarValNote"}), "East");
  p.history()->setIndex(0);

  // The variable's note: unticking only hides the box, the note stays; typing is a step.
  DimensionData& region = p.var("region");
  p.click("chkVarNote");
  EXPECT_EQ(p.state({"txtVarNote"}) + region.Note, "-Borders\r\nof 2020");
  EXPECT_EQ(p.history()->index(), 0);
  p.click("chkVarNotex");
  p.append("txtVarNotex", "xy");
  EXPECT_EQ(region.Notex + std::to_string(p.history()->count()), "xy1");  // the typing merged

  // A variable without values shows an empty list without a value; one without codes none.
  p.choose("sex");
  EXPECT_EQ(p.state({"lstVarValue"}), " \tmen, \twomen");
  p.doc().addDimension("empty", 0);
  p.show(frmCreateVq::Footnotes);
  p.show(frmCreateVq::ValueNotes);
  p.choose("empty");
  EXPECT_EQ(p.notes(), "off|-|off|-||-|-|-|-");
}

TEST(CellNotesPage, TypingAndDeleteAreStepsAndUndoPutsTheNoteBackAtItsPlace) {
  Page p(kPeople, frmCreateVq::CellNotes);
  EXPECT_EQ(p.cellNote(), R"("*","women","2021"|"*","women","2021"|Women 2021|)");
  p.append("txtCellNoteX", "must");
  p.append("txtCellNote", "!");
  const CellNoteRef first = p.doc().Cellnotes.Item(1);
  EXPECT_EQ(first->Note + "|" + first->Notex, "Women 2021!|must");
  EXPECT_EQ(p.history()->count(), 2);
  p.history()->undo();
  EXPECT_EQ(p.state({"txtCellNote"}), "Women 2021");
  p.history()->undo();

  auto* list = p.list("lstCellNotes");
  auto second = std::make_shared<CellNote>();
  for (int i = 0; i < 3; ++i) second->Values().Add(p.doc().AllVals);
  p.doc().Cellnotes.Add(second);
  p.show(frmCreateVq::Footnotes);
  p.show(frmCreateVq::CellNotes);
  p.click("cmdDeleteCellNote");
  EXPECT_EQ(p.state({"lstCellNotes"}), R"("*","*","*")");
  p.history()->undo();
  EXPECT_EQ(p.doc().Cellnotes.Item(1), first);

  // With no note left the boxes hide; Delete then does nothing.
  list->setCurrentRow(1);
  p.click("cmdDeleteCellNote");
  list->setCurrentRow(0);
  p.click("cmdDeleteCellNote");
  EXPECT_EQ(p.cellNote() + p.state({"cmdCreateCellNote", "lblCnoteKey", "lblCnotex"}),
            "|-|-|-+|-|-");
  const int steps = p.history()->count();
  p.click("cmdDeleteCellNote");
  EXPECT_EQ(p.history()->count(), steps);
  p.history()->setIndex(0);
  EXPECT_EQ(p.doc().Cellnotes.NewEnum(), (CellNoteColl::Items{first, second}));
}

TEST(CellNotesPage, TheDialogBuildsTheAddressAndRefusesACellThatHasANote) {
  Page p(kPeople, frmCreateVq::CellNotes);
  std::vector<std::string> shown;  // the dialog's value list (or "-") and address, step by step
  p.answers = {[&](QDialog& dialog) {
    auto* tree = dialog.findChild<QTreeWidget*>("VarTree");
    auto* list = dialog.findChild<QListWidget*>("List1");
    const auto show = [&] {
      shown.push_back((list->isVisibleTo(&dialog) ? items(list).join(",") : "-").toStdString() +
                      "|" + std::to_string(list->currentRow()) + "|" +
                      dialog.findChild<QLineEdit*>("txtKey")->text().toStdString());
    };
    show();
    // A value for "sex", then "*" again: the entry is all values once more.
    chooseNode(tree, "sex");
    for (int row : {2, 0}) {
      list->setCurrentRow(row);
      show();
    }
    chooseNode(tree, "year");
    list->setCurrentRow(1);
    chooseNode(tree, "sex");  // its entry is chosen again
    show();
    chooseNode(tree, "year");
    show();
    list->setCurrentRow(0);
    press(dialog, "cmdOk");
  }};
  p.click("cmdCreateCellNote");
  EXPECT_EQ(shown, (Texts{R"(-|-1|"*","*","*")", R"(*,men,women|2|"*","women","*")",
                          R"(*,men,women|0|"*","*","*")", R"(*,men,women|0|"*","*","2020")",
                          R"(*,2020,2021|1|"*","*","2020")"}));
  ASSERT_EQ(p.doc().Cellnotes.Count(), 2);
  EXPECT_EQ(p.doc().Cellnotes.Item(2)->Values().Item(1), p.doc().AllVals);
  EXPECT_EQ(p.list("lstCellNotes")->currentRow(), 1);  // the new note, to type in
  EXPECT_EQ(p.history()->count(), 1);

  // A second note on every cell is refused and the dialog stays open.
  bool open = false;
  p.answers = {[&](QDialog& dialog) {
    dialog.show();
    press(dialog, "cmdOk");
    open = dialog.isVisible();
    press(dialog, "cmdCancel");
  }};
  p.click("cmdCreateCellNote");
  EXPECT_TRUE(open);
  EXPECT_TRUE(p.asked("Cellnote for this cell exists"));
  EXPECT_EQ(p.doc().Cellnotes.Count() * 10 + p.history()->count(), 21);

  // Two values of the same text: the file cannot tell them apart, so neither can the dialog.
  p.history()->undo();
  p.doc().Get_Dimension("sex")->ValueCode.Item(1)->value = "women";
  p.prompt.asked.clear();
  p.answers = {[](QDialog& dialog) {
    chooseNode(dialog.findChild<QTreeWidget*>("VarTree"), "year");
    dialog.findChild<QListWidget*>("List1")->setCurrentRow(2);
    chooseNode(dialog.findChild<QTreeWidget*>("VarTree"), "sex");
    dialog.findChild<QListWidget*>("List1")->setCurrentRow(1);
    press(dialog, "cmdOk");
    EXPECT_EQ(static_cast<dlgNewCellNote&>(dialog).note, nullptr);
  }};
  p.click("cmdCreateCellNote");
  EXPECT_TRUE(p.asked("Cellnote for this cell exists"));
  EXPECT_EQ(p.doc().Cellnotes.Count(), 1);
}

// An empty list hiding the boxes is the end of the Delete test above.
TEST(CellNotesPage, TheControlsShowOnlyForACompleteStructure) {
  Page incomplete("MATRIX=\"I1\";\r\nSTUB=\"region\";\r\n", frmCreateVq::CellNotes);
  EXPECT_FALSE(incomplete.shown("lstCellNotes"));
}
