// Field steps and cell-note steps: several fields set and put back in one step, typing
// in one box merging into one step per session, and a new note and a deleted one, each
// done, undone and done again with the notes and the saved file compared.
#include <gtest/gtest.h>

#include "core/editor/field_commands.h"
#include "core/editor/note_commands.h"
#include "support/step_checks.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// oem_full.vq: stub Region (Åre, Östersund, Malmö), heading kön and år, with the cell
// notes "*,kvinnor,2023" and "Malmö,män,*".
constexpr const char* kFull = "oem_full.vq";

std::string notes(Loaded& t) {
  std::string out;
  for (const auto& note : t.doc.Cellnotes) out += note->Vstr() + "=" + note->Note + ";";
  return out + "\n" + gridAndFile(t);
}

}  // namespace

TEST(SetFieldsCommand, SetsAndPutsBackSeveralFieldsAndMergesOnlyOneSessionOfOneBox) {
  VexaMess doc;
  doc.Description = "Old";
  doc.DescriptionDefault = "YES";
  int recounts = 0;
  SetTextCommand clear("Description",
                       {{nullptr, &doc.Description, ""}, {nullptr, &doc.DescriptionDefault, ""}}, 0,
                       [&] { ++recounts; });
  clear.redo();
  clear.undo();
  EXPECT_EQ(doc.Description + "|" + doc.DescriptionDefault, "Old|YES");
  EXPECT_EQ(recounts, 2);

  // Typing "ab" in the matrix box: two edits, one step; another session does not merge.
  const auto session = newTypingSession();
  SetTextCommand a("Typing", {{nullptr, &doc.Matrix, "a"}}, session);
  SetTextCommand ab("Typing", {{nullptr, &doc.Matrix, "ab"}}, session);
  SetTextCommand other("Typing", {{nullptr, &doc.Contents, "x"}}, session);
  SetTextCommand later("Typing", {{nullptr, &doc.Matrix, "abc"}}, newTypingSession());
  a.redo();
  ab.redo();
  EXPECT_TRUE(a.mergeWith(ab));
  EXPECT_FALSE(a.mergeWith(other));  // another field
  EXPECT_FALSE(a.mergeWith(later));  // the box lost the focus in between
  a.undo();
  EXPECT_EQ(doc.Matrix, "");
}

TEST(NoteCommands, ANewNoteGoesLastAndADeletedOneComesBackAtItsPlace) {
  Loaded t(kFull);
  const CellNoteRef first = t.doc.Cellnotes.Item(1), second = t.doc.Cellnotes.Item(2);
  auto note = std::make_shared<CellNote>();
  note->Values().Add(t.value("Region", 1));
  note->Values().Add(t.doc.AllVals);
  note->Values().Add(t.doc.AllVals);
  note->Note = "north";
  // The notes in order after the step.
  const auto are = [&](CellNoteColl::Items items) {
    return [&t, items] { EXPECT_EQ(t.doc.Cellnotes.NewEnum(), items); };
  };
  AddCellNoteCommand add(t.doc, note);
  doUndoRedo(t, add, are({first, second, note}), notes);
  add.undo();

  RemoveCellNoteCommand remove(t.doc, first);
  doUndoRedo(t, remove, are({second}), notes);
  remove.undo();
  EXPECT_EQ(t.doc.Cellnotes.Item(1), first);  // the very object: its text steps still reach it
  // A note the table no longer holds is no step.
  EXPECT_TRUE(RemoveCellNoteCommand(t.doc, std::make_shared<CellNote>()).changesNothing());
}

TEST(NoteCommands, TypingANoteTextMergesAndOutlivesTheNotesDeletion) {
  Loaded t(kFull);
  const CellNoteRef note = t.doc.Cellnotes.Item(2);
  const std::string was = note->Note;
  const std::uint64_t session = newTypingSession();
  SetTextCommand step("CellNote", {{note, &note->Note, "a"}}, session);
  SetTextCommand more("CellNote", {{note, &note->Note, "ab"}}, session);
  step.redo();
  more.redo();
  ASSERT_TRUE(step.mergeWith(more));
  // The step keeps the note alive while the table lets go of it.
  RemoveCellNoteCommand removed(t.doc, note);
  removed.redo();
  step.undo();
  EXPECT_EQ(note->Note, was);
  removed.undo();
  step.redo();
  EXPECT_EQ(t.doc.Cellnotes.Item(2)->Note, "ab");
}
