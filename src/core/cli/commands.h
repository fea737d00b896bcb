#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zendra::cli {

// Exit codes of the commands.
inline constexpr int kOk = 0;
inline constexpr int kIncomplete = 1;
inline constexpr int kCannotRead = 2;

// Loads each file with its cells and prints its name and the completeness text; what
// the load had to tell (cells kept as text, DATA elements left out) goes to err, a line
// each. 0 when every file is complete, 1 when one is not or had elements left out, 2
// when one cannot be read. The other commands print those lines to err too.
int runCheck(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

// Loads in and writes it to out (Windows-1252 with CHARSET, or IBM 850 with oem);
// metaOnly keeps the DATA section as it was read. The completeness text goes to err
// when the table is incomplete, and the file is written all the same.
int runConvert(const std::string& in, const std::string& outFile, bool oem, bool metaOnly,
               std::ostream& err);

// Exports table to outFile in format ("csv", "xlsx" or "json-stat"; empty: taken from
// outFile's extension: .csv, .xlsx, .json),
// written beside it and renamed as saving does. An incomplete table is exported all the
// same, with the completeness text on err. 0 written, 2 a read or write error.
int runExport(const std::string& table, const std::string& outFile, std::string format, bool bom,
              std::ostream& err);

// Prints one JSON object describing the table in file.
int runInfo(const std::string& file, bool values, std::ostream& out, std::ostream& err);

// The import's settings as options; what is not given comes from the data file's first
// lines, as the import dialog guesses it.
struct ImportOptions {
  std::optional<std::string> separator;  // "tab" in any letter case is a tab
  std::optional<std::string> textDelimiter;
  std::optional<std::string> decimal;  // "." when not given
  bool skipFirst = false;
  std::optional<bool> multiple;
  bool fillMissing = false;
};

// Loads table, imports the cells of data into it and writes out; the import's log goes
// to err. 0 when every line was loaded, 1 when some were refused (out written), 2 when
// the import was aborted or a file cannot be read or written (out not written).
int runImport(const std::string& table, const std::string& data, const std::string& outFile,
              const ImportOptions& options, std::ostream& err);

// Fills table's cells from a table or saved select query of a database (Access or SQLite)
// as the table-from-database wizard does, and writes out. fields name the source's
// fields in the order of the table's variables; sumField empty counts the rows; sql, when
// given, replaces the generated statement. The statement run and every refused value go to
// err. 0 when every value was placed, 1 when some were refused (out not written), 2 when
// there is no database, the statement fails, or a file cannot be read or written.
struct DbImportOptions {
  std::string source;
  std::vector<std::string> fields;
  std::string sumField;
  std::optional<std::string> sql;
  bool allowDamaged = false;  // write OUT although the engine warned while reading
};
// Prints one JSON object with the user tables and select queries of database; with fields
// each also has its fields (name and type) and the rows it gives. 0, 1 when the engine
// warned while reading (the warnings go to err), 2 when the database cannot be read.
int runDbInfo(const std::string& database, bool fields, std::ostream& out, std::ostream& err);

int runDbImport(const std::string& table, const std::string& database, const std::string& outFile,
                const DbImportOptions& options, std::ostream& err);

}  // namespace zendra::cli
