#pragma once

#include <functional>
#include <string_view>

#include "core/export/table_cells.h"

namespace zendra {

struct CsvExportOptions {
  bool bom = false;  // a UTF-8 byte order mark first, for spreadsheets that need one
};

// Writes a table as tidy CSV (RFC 4180: comma, double quotes, CRLF; UTF-8): a header line,
// then one line per data cell in stub-then-heading order. Columns: for every variable
// (stub, then heading) "NAME code" when it has codes, then "NAME" with the value text;
// then "value" (the number as the file writes it, empty for a symbol or a missing cell)
// and "symbol" (the cell's symbol or other text, empty for a number). The text goes to
// write in pieces of about a megabyte, so a table of any size needs no copy of its cells.
// write returns false to stop (a Cancel or a failed write); the walk is returned.
ExportWalk WriteTidyCsv(const VexaMess& doc, const CellGrid& grid, const CsvExportOptions& options,
                        const std::function<bool(std::string_view)>& write);

// Appends field to out as a CSV field, quoted when it holds a comma, a double quote, a
// line break or leading or trailing blanks (a double quote inside is doubled).
void appendCsvField(std::string_view field, std::string& out);

}  // namespace zendra
