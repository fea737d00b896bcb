#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/editor/cell_commands.h"
#include "core/editor/cell_snapshot.h"
#include "core/editor/command.h"
#include "core/grid/cell_grid.h"
#include "core/grid/clipboard_block.h"
#include "core/model/vexa_mess.h"

// Pasting a clipboard block into the data grid or into the value grid of a variable, each
// as one step of the history.
namespace zendra {

// The cells a user may paste into: the data area of the normal form, or every row below
// the keys form's label rows (key columns included) as far as the grid goes. Label rows
// and label columns are never pasted into.
Block PasteableCells(const VexaMess& doc, const CellGrid& grid);

// A block pasted into the data grid. target is the selection: one cell takes the whole
// block from there; a larger block takes the part of the block that falls inside it. The
// block's cells that would land on labels or past the data area are left out (their rows
// and columns are counted for the user); in the keys form the grid grows instead, so that
// the last pasted row is followed by one empty entry row. Every pasted text goes through
// the conversion of a typed cell (a number becomes a number cell), the marks of the cell
// check are taken off the area, and the grid holds data afterwards. Undo puts back the
// area's cells, the grid's rows and the document's counts; a paste too large to keep the
// cells it overwrites (snapshotLimitBytes) is done without undo.
class PasteCellsCommand : public Command {
 public:
  PasteCellsCommand(VexaMess& doc, CellGrid& grid, Block target, ClipboardBlock block);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Paste"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  bool changesNothing() const override { return area_.empty(); }

  // The cells the paste covers (rows the keys form adds included), and the rows and
  // columns of the block that find no data cell; known before the step is done (only a
  // keys-form grid that cannot grow leaves out more rows when it is done).
  const Block& area() const { return area_; }
  std::int32_t leftOutRows() const { return leftOutRows_; }
  std::int32_t leftOutCols() const { return leftOutCols_; }

 private:
  void place();    // where the block goes, from the grid as it is when the step is made
  void prepare();  // what undo needs, taken when the step is first done
  void write();

  VexaMess& doc_;
  CellGrid& grid_;
  Block target_;
  ClipboardBlock block_;
  bool prepared_ = false;
  bool undoable_ = true;
  Block area_{1, 1, 0, 0};      // the cells whose marks go, where the block is written
  std::int32_t rowOffset_ = 0;  // grid row of the block's first row
  std::int32_t colOffset_ = 0;
  std::int32_t leftOutRows_ = 0;
  std::int32_t leftOutCols_ = 0;
  std::int32_t addRows_ = 0;  // keys form: rows the grid grows by
  BlockSnapshot before_;
  GridLayout layout_;
};

// The columns of the value grid, as the step writes them.
enum class ValueField { Code, Value, TimeType, Time };

// A block pasted into the value grid of variable, whose columns are fields, from the cell
// (row, col), both 0-based; row may be the empty last row (the variable's value count).
// Each clipboard line fills a grid row when the longest line fits the columns from col on;
// otherwise, when the lines fit those columns, the block is turned and each line fills a
// grid column. Cells past the last value make new values, as typing into the empty last
// row does; a line of the new rows with no text makes none.
struct ValuePaste {
  bool fits = false;  // false: "Contents of clipboard does not fit", nothing done
  bool turned = false;
  std::int32_t newValues = 0;
  std::unique_ptr<Command> step;  // none when nothing changes
};
ValuePaste MakeValuePaste(VexaMess& doc, CellGrid& grid, const DimensionRef& variable,
                          const std::vector<ValueField>& columns, std::int32_t row,
                          std::int32_t col, const ClipboardBlock& block, bool showCodes);

// The value grid's TimeType column takes a time scale (A1, H1, Q1, M1, W1) or nothing: what
// the completeness check knows, and what the file's TLIST carries as it is.
bool TimeTypeAccepted(std::string_view text);
// What the user is told when a text is refused there.
std::string TimeTypeRefusal(std::string_view text);
// The first text of a paste that would land in a TimeType column and is no time type; none
// when every one is. The block lands as MakeValuePaste places it from section col: a line
// per grid row, or, turned, a line per grid column.
std::optional<std::string> RefusedTimeType(const ClipboardBlock& block, bool turned,
                                           std::int32_t col,
                                           const std::vector<ValueField>& columns);

}  // namespace zendra
