#pragma once

#include <string>

#include "core/format/data_builder.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

struct WriteOptions {
  bool ansi = true;             // Windows-1252 with a CHARSET line; IBM 850 without
  std::string byWord = "by";    // default title: "<contents> by <names>."
  std::string andWord = "and";  // default title: "a, b and c"
  // CREATION-DATE as "yyyymmdd hh:mm"; the clock's local time when empty.
  std::string creationDate;
};

// Rebuilds the document's Title from its contents and variable names:
// "Population by region, sex and time."
void title_mod(VexaMess& doc, const std::string& byWord, const std::string& andWord);

// Builds the metadata text of the file (every statement before DATA), in UTF-8, in the
// program's fixed order. Changes the document as a save does: the title is rebuilt
// when there is no description, and ContData exists. DECIMALS is written as the
// decimals the cells are stored with; the table's own DECIMALS stays as it is.
std::string make_vqstring(VexaMess& doc, const WriteOptions& options);

// Wraps a long text into quoted pieces of about 70 characters joined by CR LF, broken
// at spaces. With marks, a line break (or "#") in the text ends a piece with "#".
std::string wrapText(std::string_view text, bool marks);

struct WriteResult {
  bool ok = false;
  std::string error;   // why the file could not be written
  int errorCode = 0;   // the system's error number of that failure
  bool lossy = false;  // some character was written as "?" (not in the code page)
  DataCheck check;     // the cell checks of the DATA build, when one ran
};

// Why the table cannot be written so that reading its file gives the same table back
// (the keys form without a stub variable, two variable names written alike, a cell note
// whose address names no value of the table); empty when it can. Write_To_File refuses
// such a table with this text as its error and writes nothing.
std::string WriteRefusal(const VexaMess& doc);

// Builds the whole file (metadata, then the DATA section from the grid or, for a table
// loaded as metadata only, the DATA bytes it was read with) in one code page and writes
// it in one piece: into a temporary file in the same folder, renamed over FileName
// when complete. On any failure the old file is untouched and the result says why; a
// table that WriteRefusal refuses is not written, and its reason is the error.
WriteResult Write_To_File(VexaMess& doc, const std::string& FileName, const WriteOptions& options);

// The same text as bytes, without writing: what Write_To_File would store (it does not
// ask WriteRefusal).
std::string BuildFileBytes(VexaMess& doc, const WriteOptions& options, WriteResult& result);

// The local time as "yyyymmdd hh:mm".
std::string currentCreationDate();

}  // namespace zendra
