#include "core/editor/note_commands.h"

#include <utility>

#include "core/model/vexa_mess.h"

namespace zendra {
namespace {

std::size_t noteBytes(const CellNote& note) {
  return sizeof(CellNote) + note.Note.capacity() + note.Notex.capacity() +
         static_cast<std::size_t>(note.Values().Count()) * sizeof(ValueRef);
}

}  // namespace

AddCellNoteCommand::AddCellNoteCommand(VexaMess& doc, CellNoteRef note)
    : doc_(doc), note_(std::move(note)) {}

void AddCellNoteCommand::redo() {
  position_ = doc_.Cellnotes.Count() + 1;
  doc_.Cellnotes.Insert(position_, note_);
}

void AddCellNoteCommand::undo() {
  doc_.Cellnotes.Remove(position_);
}

std::size_t AddCellNoteCommand::memoryBytes() const {
  return sizeof(*this) + noteBytes(*note_);
}

RemoveCellNoteCommand::RemoveCellNoteCommand(VexaMess& doc, CellNoteRef note)
    : doc_(doc), note_(std::move(note)), position_(doc_.Cellnotes.IndexOf(note_.get())) {}

void RemoveCellNoteCommand::redo() {
  doc_.Cellnotes.Remove(position_);
}

void RemoveCellNoteCommand::undo() {
  if (position_ >= 1) doc_.Cellnotes.Insert(position_, note_);
}

std::size_t RemoveCellNoteCommand::memoryBytes() const {
  return sizeof(*this) + noteBytes(*note_);
}

}  // namespace zendra
