#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/grid/cell_grid.h"
#include "core/import/field_layout.h"
#include "core/model/vexa_mess.h"

// Filling a table's data cells from a delimited text file: one cell per line (the codes of
// every variable, then the value) or one row of cells per line (the stub codes, then one
// value per data column). The table's variables and values must exist; a line names its
// cell by the codes (or, for a variable without codes, the value texts) of its values.
namespace zendra {

struct TextImportSettings {
  // The field separator; "Tab" in any letter case means a tab. Empty: the whole line is
  // one field.
  std::string separator = ";";
  // The text delimiter; empty: fields are never quoted.
  std::string textDelimiter = "\"";
  // The file's decimal point. Empty: both "." and the locale's decimal are read.
  std::string decimalPoint = ".";
  // The user locale's decimal separator (the caller's; the core knows no locale).
  std::string localeDecimal = ".";
  bool skipFirst = false;
  bool multipleValues = false;  // each line holds a whole row of values
  bool fillMissing = false;     // keys form: a new row's data cells start at 0
  // Where the fields are and which holds what (the import wizard's result). None: the
  // fields come delimited in the form's own order.
  std::optional<FieldLayout> layout;
};

// What the first lines of a file suggest, to start the dialog with.
struct TextSample {
  std::string separator;           // "Tab" for a tab, else the separator itself
  std::string textDelimiter;       // the text delimiter
  std::vector<std::string> lines;  // up to kSampleLines first lines
  std::int32_t width = 0;          // the most fields among those lines
  bool multipleValues = false;     // the width is not one code per variable and a value
};

inline constexpr int kSampleLines = 5;

// The first lines of a text file as the import reads them (decoded to UTF-8, each ended by
// "\n"), as many whole lines as fit in maxBytes, and at least the first line (cut to
// maxBytes). The dialogs show and analyse this instead of the whole file. Not ok (error
// says why) when the file cannot be read.
struct TextHead {
  bool ok = false;
  std::string text;
  std::string error;
};
TextHead ReadTextHead(const std::string& path, std::size_t maxBytes = std::size_t{1} << 20);

// Guesses the separator and text delimiter from the file's first line (";" and the double
// quote when nothing can be told) and reads the sample.
TextSample AnalyseText(const std::string& bytes, const VexaMess& doc);
// The settings the guesses give (the dialog's first state, and the command line's without
// options).
TextImportSettings SettingsFromSample(const TextSample& sample, std::string localeDecimal);

// Where an import's text comes from: bytes in memory, or a file read line by line as
// the import goes (memory then does not follow the file's size).
struct TextSource {
  std::string bytes;
  std::string path;
  bool fromFile = false;

  static TextSource ofBytes(std::string bytes) { return {std::move(bytes), {}, false}; }
  static TextSource ofFile(std::string path) { return {{}, std::move(path), true}; }
};

struct TextImportResult {
  std::vector<std::string> log;  // every refused line and why, then the count
  std::int32_t records = 0;      // lines processed (a skipped first line not counted)
  std::int32_t refused = 0;      // records refused, wholly or in part
  bool aborted = false;          // the load stopped early: file error, errors, Cancel
  bool cancelled = false;        // the stop was the user's Cancel
  bool wrote = false;            // some cell took a value: the grid now holds data
};

// One import into the document's laid-out grid. The rules:
// - Normal form: the stub codes give the row, the heading codes the column (or each
//   column in turn gets one value); an unknown code refuses the record.
// - Keys form: a record goes into the entry row (the grid's last), which then stays as a
//   filled row and a new entry row follows. One value a line: a record whose keys equal
//   the last filled row's continues that row; the same keys later, after other keys,
//   start a new row (the log says so). A refused record leaves the entry row empty.
// - A value: ".", "..", ... "......" and "-" are text; anything else must be a number
//   with the file's decimal point and no grouping, else "Value not numeric" refuses the
//   record (the cells it wrote before stay).
// - The reader's errors end the load ("Load aborted"), a file that cannot be read (at the
//   start or midway) too; so does the 31st refused record
//   ("Too many errors, Load aborted"). A line whose last field is empty is logged ("Too
//   few values in line") and loaded all the same; that alone does not count as an error.
class TextImport {
 public:
  static constexpr std::int32_t kErrorLimit = 30;

  TextImport(VexaMess& doc, CellGrid& grid, TextImportSettings settings);

  // Called now and then with the bytes read and the file's size; false cancels the load
  // (what was loaded stays).
  std::function<bool(std::size_t done, std::size_t total)> progress;
  // Called before the first write into a grid row that existed before the load (the
  // keys form's added rows are not reported): an undo step keeps those rows.
  std::function<void(std::int32_t row)> beforeRowWrite;

  TextImportResult run(TextSource source);
  TextImportResult run(std::string bytes) { return run(TextSource::ofBytes(std::move(bytes))); }
  TextImportResult runFile(std::string path) { return run(TextSource::ofFile(std::move(path))); }

 private:
  class Impl;
  VexaMess& doc_;
  CellGrid& grid_;
  TextImportSettings settings_;
};

// The separator text of the dialog and the command line as the reader takes it: "Tab" in
// any letter case is a tab.
std::string SeparatorChar(const std::string& shown);

}  // namespace zendra
