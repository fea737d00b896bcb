#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/model/vac_collection.h"

namespace zendra {

// A note on a set of cells. Its address holds one entry per variable of the document,
// in the document's Dimensions order: either one of that variable's own value objects
// or the document's shared AllVals value ("*"), which stands for every value.
class CellNote {
 public:
  std::string Note;   // CELLNOTE
  std::string Notex;  // CELLNOTEX

  // The address; callers add entries to it directly.
  VacCollection& Values() { return values_; }
  const VacCollection& Values() const { return values_; }
  // The address as text: each entry's value text in double quotes, joined by ",".
  std::string Vstr() const;
  // Puts value at the 1-based address position index.
  void ReplaceValue(std::int32_t index, ValueRef value);
  // True when the two notes are on the same cell: their addresses have the same Vstr
  // text. A file names a cell by its value texts, so notes that differ only in which of
  // two equal-text value objects they hold would be written as one and read back as one.
  bool SameCell(const CellNote& other) const;

 private:
  VacCollection values_;
};

using CellNoteRef = std::shared_ptr<CellNote>;

// The document's cell notes, in order, 1-based, without keys.
class CellNoteColl {
 public:
  using Items = std::vector<CellNoteRef>;

  // Every search of the collection uses one rule of sameness, SameCell, so that a note
  // FindesCellNote does not find is one Add appends.
  //
  // Appends note, unless a note on the same cell is already there: then that note is
  // returned and note is not added. A CELLNOTEX for a cell that already has a CELLNOTE
  // thus lands on the same note.
  CellNoteRef Add(CellNoteRef note);
  // Puts note at the 1-based position (1 to Count() + 1), the notes from there on moving
  // up one; undo of a removal puts a note back where it was.
  void Insert(std::int32_t position, CellNoteRef note);
  CellNoteRef Item(std::int32_t position) const;
  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  void Remove(std::int32_t position);
  // The 1-based position of this very note object, or -1.
  std::int32_t IndexOf(const CellNote* note) const;
  // True when a note on the same cell is held.
  bool FindesCellNote(const CellNote& note) const;
  // Removes the first note on the same cell as note.
  void removeNote(const CellNote& note);
  // Removes every note whose address holds the value with this UID. Notes that hold
  // "*" for that variable stay.
  void RemoveByUID(std::int32_t uid);

  const Items& NewEnum() const { return items_; }
  Items::const_iterator begin() const { return items_.begin(); }
  Items::const_iterator end() const { return items_.end(); }

 private:
  // The 1-based position of the first note on the same cell, or -1.
  std::int32_t find(const CellNote& note) const;
  Items items_;
};

}  // namespace zendra
