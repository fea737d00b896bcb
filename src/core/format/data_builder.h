#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// What the last DATA build found in the cells. Kept by whoever ran the build and
// passed on: the completeness test reads it, so do the fill command and the preview.
struct DataCheck {
  bool DataMissing = false;  // an empty data cell, or no data area at all
  bool InvalidData = false;  // a cell that is neither a number nor an accepted symbol
  bool InvalidCode = false;  // keys form: a key that names no value of its variable
  bool DashFound = false;    // a cell holding "-"
};

// The DATA builder: reads the cells out of the grid, checks them and writes the DATA
// section.
namespace GetDataMod {

// Builds the DATA text ("DATA=" and the cells, without the closing ";") from the grid,
// sets the flags of check (cleared first) and paints faulty cells yellow on red and
// valid symbol cells (and passing keys) black on white. Normal form: one line per grid
// row, cells separated by a space, numbers as they are and everything else quoted.
// Keys form: the rows that have any content, keys and data separated by ",".
std::string BuildDataText(const VexaMess& doc, CellGrid& grid, DataCheck& check);
// The same, appended to out.
void AppendDataText(const VexaMess& doc, CellGrid& grid, DataCheck& check, std::string& out);

// Sets the flags of check (cleared first) and paints the cells as BuildDataText does,
// without building the text: what the completeness test needs.
void CheckDataCells(const VexaMess& doc, CellGrid& grid, DataCheck& check);

// A cell the DATA builder paints: valid symbol cells black on white, faulty ones yellow on
// red.
struct CellPaint {
  std::int32_t row = 0;
  std::int32_t col = 0;
  bool valid = false;
};

// Normal form: appends the DATA text of grid rows first..last, each row as "\r\n" and its
// cells (numbers as they are, everything else quoted, each followed by a space). The grid
// is only read, so that several threads may build rows of one grid at once: the flags go
// to check (not cleared) and the cells to paint to paints, for the caller to apply.
void AppendNormalRows(const VexaMess& doc, const CellGrid& grid, std::int32_t first,
                      std::int32_t last, DataCheck& check, std::vector<CellPaint>& paints,
                      std::string& out);
// Paints the cells as AppendNormalRows found them.
void ApplyPaints(CellGrid& grid, const std::vector<CellPaint>& paints);

// The cell's shown text, trimmed. Returns true when that text is numeric; a number
// written with the grid's decimal character ("1,5") then gets the file's ".". Other texts
// (keys, symbols, "Norr, inland") keep every character.
bool cellText(const CellGrid& grid, std::int32_t row, std::int32_t col, std::string& text);

// Checks a trimmed non-numeric cell text: the symbols ".", "..", ... "......" and "-"
// are valid ("-" sets DashFound); an empty text sets DataMissing and anything else
// InvalidData, both invalid.
bool CheckSymbol(std::string_view text, DataCheck& check);

// True when a cell holds a text that is neither a number (with "." or the grid's decimal
// character) nor one of the format's symbols: a cell the check finds invalid. The file
// may hold such a cell; the table is not complete with it.
bool InvalidCellText(const CellGrid& grid, std::int32_t row, std::int32_t col);

}  // namespace GetDataMod

// True when code names a value of the variable at this 1-based position of Dimensions:
// its code when the variable uses codes, its text otherwise; exact comparison.
bool TestCodeOK(const VexaMess& doc, std::string_view code, std::int32_t index);

// code enclosed in double quotes. The format has no escape for a double quote, so one
// inside the text is written as an apostrophe: the file then reads back as written.
void appendQuoted(std::string_view text, std::string& out);
std::string q(std::string_view text);

}  // namespace zendra
