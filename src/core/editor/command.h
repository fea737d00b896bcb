#pragma once

#include <cstddef>
#include <string>

namespace zendra {

// One change to a table that can be undone and redone. The first redo() does the change.
class Command {
 public:
  virtual ~Command() = default;
  virtual void redo() = 0;
  virtual void undo() = 0;
  // The action's name for the Edit menu ("Typing" gives "Undo Typing").
  virtual std::string text() const = 0;
  // Commands with the same id (not -1) may merge: after next has been done, this command
  // absorbs it and returns true (one undo step undoes both).
  virtual int id() const { return -1; }
  virtual bool mergeWith(const Command& next) {
    (void)next;
    return false;
  }
  // Bytes this command keeps for undo and redo, to bound a window's history.
  virtual std::size_t memoryBytes() const = 0;
  // False when the command could not keep what undo needs (a table too large): it still
  // did its change, but the history before it must be dropped and the user told.
  virtual bool undoable() const { return true; }
  // True when the step leaves the table as it found it (a list choice of the value it
  // had, typing that ends where it began): the history does not keep it.
  virtual bool changesNothing() const { return false; }
};

}  // namespace zendra
