#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

#include "core/model/cell_note.h"
#include "core/model/dimension_data.h"

class QTreeWidgetItem;

namespace Ui {
class dlgNewCellNote;
}

namespace zendra {

class Prompt;
class VexaMess;

// Builds the address of a new cell note: it starts with the table's "*" (all values) for
// every variable, and the user chooses, variable by variable, one value or "*" again.
// OK refuses an address a note of the table is already on ("Cellnote for this cell
// exists") and keeps the dialog open. After OK, note holds the new note, without text;
// after Cancel it is empty. The dialog does not change the document: the caller adds
// the note.
class dlgNewCellNote : public QDialog {
  Q_OBJECT

 public:
  dlgNewCellNote(const VexaMess& doc, Prompt& prompt, QWidget* parent = nullptr);
  ~dlgNewCellNote() override;

  CellNoteRef note;

  void done(int result) override;

 private:
  // A node chosen in the tree: a variable lists its values, a group hides the list.
  void chooseNode(QTreeWidgetItem* node);
  // A list entry chosen: "*" or one value of the chosen variable into the address.
  void chooseEntry(int row);

  std::unique_ptr<Ui::dlgNewCellNote> ui_;
  const VexaMess& doc_;
  Prompt& prompt_;
  CellNoteRef building_;
  DimensionRef variable_;      // the chosen variable; none while a group is chosen
  std::int32_t position_ = 0;  // its 1-based position in Dimensions; 0 for a group
  bool filling_ = false;       // the list is being filled: its choices write nothing
};

}  // namespace zendra
