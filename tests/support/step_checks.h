#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "core/editor/command.h"
#include "core/editor/history.h"
#include "core/format/writer.h"
#include "support/loaded_table.h"

// Checks of undoable steps on a loaded table: the state a step may change, as text, and
// a step done, undone and done again.
namespace zendra::test {

inline std::string colour(std::optional<Colour> c) {
  return c ? std::to_string(*c) : "-";
}

// The file a save would write, with a fixed creation date. The writer paints the cells
// it checks and rebuilds the title, so it writes from a copy of the grid and the
// document is left as it was.
inline std::string writtenFile(Loaded& t) {
  CellGrid copy = t.grid;
  t.doc.SprData = &copy;
  WriteOptions options;
  options.creationDate = "20240101 12:00";
  WriteResult result;
  const std::string title = t.doc.Title;
  const auto contents = t.doc.ContData;
  std::string bytes = BuildFileBytes(t.doc, options, result);
  t.doc.Title = title;
  t.doc.ContData = contents;
  t.doc.SprData = &t.grid;
  return bytes;
}

// What a step may change in the cells, as text: the grid's size, frozen lines and
// protection, every cell with all it has (its colours unless left out: checks paint
// them outside any step), the document's layout fields and decimals, and the saved file.
inline std::string tableState(Loaded& t, bool withColours) {
  const CellGrid& g = t.grid;
  std::string out = std::to_string(g.rowCount()) + "x" + std::to_string(g.colCount()) + " frozen " +
                    std::to_string(g.frozenRows()) + "," + std::to_string(g.frozenCols()) +
                    (g.isProtected() ? " protected\n" : "\n");
  for (std::int32_t r = 1; r <= g.rowCount(); ++r) {
    for (std::int32_t c = 1; c <= g.colCount(); ++c) {
      out += std::to_string(static_cast<int>(g.kind(r, c))) + "'" + g.text(r, c) + "' d" +
             std::to_string(g.decimals(r, c)) + " a" +
             std::to_string(static_cast<int>(g.alignment(r, c))) + (g.locked(r, c) ? " L " : " ") +
             (withColours ? colour(g.backColour(r, c)) + "/" + colour(g.foreColour(r, c)) : "") +
             " | ";
    }
    out += "\n";
  }
  const VexaMess& d = t.doc;
  out += "created " + std::to_string(d.GridCreated) + " data " + std::to_string(d.GridHasData) +
         " decimals " + std::to_string(d.GridDecimals) + " at " + std::to_string(d.DataRow1) + "," +
         std::to_string(d.DataCol1) + " size " + std::to_string(d.NumRows) + "x" +
         std::to_string(d.NumCols) + " save " + std::to_string(d.SaveDecimals) + " of " +
         std::to_string(d.Decimaler) + "\n";
  return out + writtenFile(t);
}

inline std::string gridAndFile(Loaded& t) {
  return tableState(t, true);
}

// Does the step and runs check, undoes it expecting everything as before, and does it
// again expecting everything as after the first time.
template <typename Check>
void doUndoRedo(Loaded& t, Command& step, Check check,
                const std::function<std::string(Loaded&)>& state = gridAndFile) {
  const std::string before = state(t);
  step.redo();
  const std::string done = state(t);
  check();
  step.undo();
  EXPECT_EQ(state(t), before) << "after undo";
  step.redo();
  EXPECT_EQ(state(t), done) << "after redo";
}

// Sets the snapshot limit for one test.
struct SnapshotLimit {
  explicit SnapshotLimit(std::size_t bytes) { setSnapshotLimitBytes(bytes); }
  ~SnapshotLimit() { setSnapshotLimitBytes(std::nullopt); }
};

}  // namespace zendra::test
