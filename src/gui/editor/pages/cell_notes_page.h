#pragma once

#include <memory>

#include "gui/editor/pages/editor_page.h"
#include "core/model/cell_note.h"

namespace Ui {
class CellNotesPage;
}

namespace zendra {

// "CellN&otes": the table's cell notes by their keys, the chosen note's two texts, and
// "Create new" (dlgNewCellNote) and "Delete". A new note, a deleted one and every text
// typed are steps of the history, so they count as changes and undo takes them back. The
// page holds its controls only while the table's structure is complete: a note's address
// has one entry per variable.
class CellNotesPage : public EditorPage {
 public:
  CellNotesPage(EditorContext& editor, QWidget* parent);
  ~CellNotesPage() override;

  // Refills the list; the note chosen before stays chosen while the table holds it, else
  // the first note is.
  void load() override;

 private:
  // Shows the note at a list row (none: the boxes hide).
  void showNote(int row);
  void createNote();
  void deleteNote();

  std::unique_ptr<Ui::CellNotesPage> ui_;
  CellNoteRef note_;  // the note shown; none while the list is empty
};

}  // namespace zendra
