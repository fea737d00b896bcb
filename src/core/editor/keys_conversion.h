#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/editor/command.h"
#include "core/editor/variable_commands.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// The non-empty data cells of a normal-form table that the conversion to the keys form
// would not keep: keeping the heading, the cells of the rows it deletes (rows without a
// number other than 0); making every variable a key, every cell that is not a number
// other than 0 (zeros, symbols such as "..", other texts). Known before converting, so
// that the user can be asked.
std::int64_t CellsNotKeptByKeysConversion(const VexaMess& doc, const CellGrid& grid,
                                          bool keepHeading);

// Edit/Convert to Keys format: turns a normal-form table that holds data into the keys
// form, in which each DATA line starts with the keys of its row.
//
// Every stub variable's CodesAftes becomes the number of data rows one of its values
// spans. Keeping the heading, the rows that hold a number other than 0 are kept with
// their cells, their stub labels becoming keys (a variable's code when it uses codes,
// else its value text). Otherwise every variable becomes a key column (the old heading
// variables after the stub) and each number other than 0 becomes one row: its keys,
// then the number. Either way the grid is laid out anew in the keys form and ends with
// the empty entry row, the stub variables are keyed (by codes when they use them), and
// the grid holds data.
//
// Undo puts back the whole grid as it was (kept aside, not copied) with the variables;
// a table whose grid is past snapshotLimitBytes() is converted without it and the step
// cannot be undone. When the memory for the new grid cannot be had, nothing changes
// and the step changesNothing().
class ConvertToKeysCommand : public Command {
 public:
  ConvertToKeysCommand(VexaMess& doc, CellGrid& grid, bool keepHeading, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Convert to Keys Format"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  bool changesNothing() const override { return failed_; }

 private:
  // What the step changes in the variables themselves.
  struct Keying {
    DimensionRef variable;
    std::int16_t Keytype = 0;
    std::int32_t CodesAftes = 0;
  };
  struct Variables {
    StructureState structure;
    std::vector<Keying> keying;
    bool FileWithKeys = false;
    static Variables of(const VexaMess& doc);
    void applyTo(VexaMess& doc) const;
  };
  // Builds grid_ in the keys form from old, the normal-form grid; false when the memory
  // for it could not be had.
  bool convert(const CellGrid& old);

  VexaMess& doc_;
  CellGrid& grid_;
  bool keepHeading_;
  bool showCodes_;
  bool done_ = false;
  bool undoable_ = true;
  bool failed_ = false;
  CellGrid other_;  // the grid not shown now
  std::size_t otherBytes_ = 0;
  Variables before_;
  Variables after_;
};

}  // namespace zendra
