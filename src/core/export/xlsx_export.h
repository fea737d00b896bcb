#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "core/export/table_cells.h"

namespace zendra {

// Writes a table as a spreadsheet (XLSX, in libxlsxwriter's constant-memory mode): a
// sheet "Table" laid out as a reader sees the table (the title; the heading variables as
// header rows, each value merged across the columns it spans; the stub variables as
// leading columns, merged down the rows they span; numbers as numbers with the shown
// decimals; symbols as text; panes frozen at the first data cell; the notes below) and a
// sheet "Metadata" with a row per statement (keyword, variable or value, text). The file
// is written beside path and renamed over it. keepGoing is asked as the cells are
// written; false stops and writes nothing. On failure returns false with error set.
bool WriteXlsx(const VexaMess& doc, const CellGrid& grid, const std::filesystem::path& path,
               std::string& error, const std::function<bool()>& keepGoing = {});

}  // namespace zendra
