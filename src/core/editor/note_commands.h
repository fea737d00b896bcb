#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/editor/command.h"
#include "core/model/cell_note.h"

namespace zendra {

class VexaMess;

// A new cell note, put at the end of the table's cell notes; undo takes it out again.
// The caller has made sure no note is on the same cell (FindesCellNote).
class AddCellNoteCommand : public Command {
 public:
  AddCellNoteCommand(VexaMess& doc, CellNoteRef note);
  void redo() override;
  void undo() override;
  std::string text() const override { return "New cell note"; }
  std::size_t memoryBytes() const override;

 private:
  VexaMess& doc_;
  CellNoteRef note_;
  std::int32_t position_ = 0;
};

// Deletes a cell note; undo puts the very note back at the position it had.
class RemoveCellNoteCommand : public Command {
 public:
  RemoveCellNoteCommand(VexaMess& doc, CellNoteRef note);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Delete cell note"; }
  std::size_t memoryBytes() const override;
  bool changesNothing() const override { return position_ < 1; }

 private:
  VexaMess& doc_;
  CellNoteRef note_;
  std::int32_t position_;
};

}  // namespace zendra
