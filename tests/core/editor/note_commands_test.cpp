// The cell-note steps: a new note and a deleted one, each done, undone and done again with
// the notes and the saved file compared.
#include <gtest/gtest.h>

#include "core/editor/field_commands.h"
#include "core/editor/note_commands.h"
#include "support/loaded_table.h"
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

TEST(NoteCommands, ANewNoteGoesLastAndUndoTakesItOut) {
  Loaded t(kFull);
  ASSERT_EQ(t.doc.Cellnotes.Count(), 2);
  auto note = std::make_shared<CellNote>();
  note->Values().Add(t.value("Region", 1));
  note->Values().Add(t.doc.AllVals);
  note->Values().Add(t.doc.AllVals);
  note->Note = "north";
  AddCellNoteCommand step(t.doc, note);
  doUndoRedo(
      t, step,
      [&] {
        ASSERT_EQ(t.doc.Cellnotes.Count(), 3);
        EXPECT_EQ(t.doc.Cellnotes.Item(3), note);
      },
      notes);
  // The file is written in its own code page: the region's text is left out of the match.
  EXPECT_NE(notes(t).find("\",\"*\",\"*\")=\"north"), std::string::npos);
}

TEST(NoteCommands, DeletingANoteAndUndoPutsTheSameNoteBackAtItsPlace) {
  Loaded t(kFull);
  const CellNoteRef first = t.doc.Cellnotes.Item(1);
  const CellNoteRef second = t.doc.Cellnotes.Item(2);
  RemoveCellNoteCommand step(t.doc, first);
  EXPECT_FALSE(step.changesNothing());
  doUndoRedo(
      t, step,
      [&] {
        ASSERT_EQ(t.doc.Cellnotes.Count(), 1);
        EXPECT_EQ(t.doc.Cellnotes.Item(1), second);
      },
      notes);
  step.undo();
  EXPECT_EQ(t.doc.Cellnotes.Item(1), first);  // the very object: its text steps still reach it

  // A note the table no longer holds is no step.
  RemoveCellNoteCommand gone(t.doc, std::make_shared<CellNote>());
  EXPECT_TRUE(gone.changesNothing());
}

TEST(NoteCommands, TypingANoteTextMergesAndOutlivesTheNotesDeletion) {
  Loaded t(kFull);
  const CellNoteRef note = t.doc.Cellnotes.Item(2);
  const std::string was = note->Note;
  const std::uint64_t session = newTypingSession();
  auto typed = [&](const char* text) {
    return std::make_unique<SetTextCommand>(
        "CellNote", std::vector<SetTextCommand::Change>{{note, &note->Note, text}}, session);
  };
  auto step = typed("a");
  step->redo();
  auto more = typed("ab");
  more->redo();
  ASSERT_TRUE(step->mergeWith(*more));
  EXPECT_EQ(note->Note, "ab");
  // The step keeps the note alive while the table lets go of it.
  RemoveCellNoteCommand removed(t.doc, note);
  removed.redo();
  step->undo();
  EXPECT_EQ(note->Note, was);
  removed.undo();
  step->redo();
  EXPECT_EQ(t.doc.Cellnotes.Item(2)->Note, "ab");
}
