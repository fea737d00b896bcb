#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/grid/cell_grid.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"

namespace zendra {

enum class LoadResult {
  Loaded,      // read to its end (with or without cells)
  CannotRead,  // the file could not be opened or read; the document stays empty
  Cancelled,   // the user cancelled while the cells were loading
};

// Tables at or past these sizes are offered for loading as metadata only.
struct LargeTableLimits {
  std::int64_t cells = 102401;
  std::int64_t rows = 51201;
  std::int64_t cols = 10241;
  std::int64_t keysFormBytes = 204801;  // DATA text of a keys-form table
};

// What a load has to tell the user once the file is open.
struct LoadReport {
  // Why the cells were kept as the file's text (metadata only) instead of being laid out in
  // the grid; empty when nothing was refused.
  std::string keptAsText;
  // DATA elements of a normal-form table past its last cell, left out.
  std::int64_t surplusElements = 0;
  // Why the file could not be read ("Cannot read PATH: " and the reason), when it could not.
  std::string readError;
  // The lines to show the user (empty when there is nothing to say).
  std::vector<std::string> notices() const;
};

// Fills an empty document from the table file at doc.VQfilename: variables, values,
// codes, time values, notes, cell notes, content metadata and every other statement
// the program knows; statements it cannot apply are passed over. Then, at DATA: with
// MetaOnly, or when the user chooses so for a large table, keeps the DATA section as
// the file's bytes (MetadataOnly); otherwise lays the grid out and fills its cells.
// When the grid cannot hold the table (more cells than grid->maxCells(), or the memory
// for them cannot be had), the load falls back to metadata only and says why in
// report->keptAsText; surplus DATA elements are counted in report->surplusElements.
// showCodes decides the labels of the laid-out grid. Questions and progress go to
// prompt. No allocation failure leaves the load: one outside the cells fails the read.
LoadResult Load_From_File(VexaMess& doc, bool MetaOnly, CellGrid* grid, Prompt& prompt,
                          bool showCodes = false, const LargeTableLimits& limits = {},
                          LoadReport* report = nullptr);

// The same for the bytes of a file already in memory.
LoadResult Load_From_Text(VexaMess& doc, std::string bytes, bool MetaOnly, CellGrid* grid,
                          Prompt& prompt, bool showCodes = false,
                          const LargeTableLimits& limits = {}, LoadReport* report = nullptr);

// The caption of the program's questions.
inline constexpr const char* kProgramTitle = "ZENDRA";

}  // namespace zendra
