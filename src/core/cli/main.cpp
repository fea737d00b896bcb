// zendra-cli: batch work on VQ tables without the desktop program.
#include <CLI/CLI.hpp>
#include <iostream>

#include "core/cli/commands.h"
#include "core/cli/demo.h"

int main(int argc, char** argv) {
  CLI::App app{"zendra-cli: the command-line companion of the Zendra table editor"};
  app.set_version_flag("--version", "zendra-cli 1.02.003");
  app.require_subcommand(1);

  std::vector<std::string> checkFiles;
  auto* check =
      app.add_subcommand("check",
                         "Load each file with its cells and print whether it is complete "
                         "(exit 0 all complete, 1 some incomplete, 2 a file cannot be read)");
  check->add_option("FILE", checkFiles, "Table files")->required();

  std::string in, out;
  bool oem = false, metaOnly = false;
  auto* convert = app.add_subcommand(
      "convert", "Load IN and write it to OUT (Windows-1252 with CHARSET unless --oem)");
  convert->add_option("IN", in, "Table file to read")->required();
  convert->add_option("OUT", out, "Table file to write")->required();
  convert->add_flag("--oem", oem, "Write in the OEM code page (IBM 850), without CHARSET");
  convert->add_flag("--meta-only", metaOnly,
                    "Load as metadata only and write the DATA section back unchanged");

  std::string exportFormat;
  bool bom = false;
  auto* exportCommand = app.add_subcommand(
      "export",
      "Export TABLE to OUT as tidy CSV, XLSX or JSON-stat (the format from OUT's extension "
      "unless given)");
  exportCommand->add_option("TABLE", in, "Table file to read")->required();
  exportCommand->add_option("OUT", out, "File to write")->required();
  exportCommand->add_option("--format", exportFormat, "csv, xlsx or json-stat")
      ->check(CLI::IsMember({"csv", "xlsx", "json-stat"}));
  exportCommand->add_flag("--bom", bom, "CSV: begin with a UTF-8 byte order mark");

  std::string infoFile;
  bool values = false;
  auto* info = app.add_subcommand("info", "Print the table's structure as one JSON object");
  info->add_option("FILE", infoFile, "Table file")->required();
  info->add_flag("--values", values, "Include every variable's value texts and codes");

  std::string table, data;
  zendra::cli::ImportOptions importOptions;
  bool single = false, multiple = false;
  auto* import = app.add_subcommand(
      "import",
      "Fill TABLE's cells from the text file DATA and write OUT; the log goes to stderr "
      "(exit 0 all lines loaded, 1 some refused, 2 aborted or a file cannot be read or written)");
  import->add_option("TABLE", table, "Table file to fill")->required();
  import->add_option("DATA", data, "Delimited text file, one cell or one row of cells a line")
      ->required();
  import->add_option("OUT", out, "Table file to write")->required();
  import->add_option("--separator", importOptions.separator,
                     "Field separator (\"tab\" for a tab; empty: one field a line)");
  import->add_option("--text-delimiter", importOptions.textDelimiter,
                     "Text delimiter (empty: no quoting)");
  import->add_option("--decimal", importOptions.decimal,
                     "The file's decimal point (default \".\"; empty: \".\" and \",\" both)");
  import->add_flag("--skip-first", importOptions.skipFirst, "Skip the first line");
  auto* multipleFlag =
      import->add_flag("--multiple", multiple, "Each line holds one value per data column");
  import->add_flag("--single", single, "Each line holds one value")->excludes(multipleFlag);
  import->add_flag("--fill-missing", importOptions.fillMissing,
                   "Keys form: a new row's cells start at 0");

  std::string database;
  zendra::cli::DbImportOptions dbOptions;
  bool count = false;
  std::string dbSql;
  auto* dbimport = app.add_subcommand(
      "dbimport",
      "Fill TABLE's cells with counts or sums grouped from a table or select query of DATABASE "
      "(Access .mdb or SQLite) and write OUT; the statement run and refused values go to stderr "
      "(exit 0 all placed, 1 values refused or the database read with warnings, and OUT not "
      "written, 2 no database, bad SQL or a file cannot be read or written)");
  dbimport->add_option("TABLE", table, "Table file to fill")->required();
  dbimport->add_option("DATABASE", database, "Access (.mdb) or SQLite database file")->required();
  dbimport->add_option("OUT", out, "Table file to write")->required();
  dbimport->add_option("--source", dbOptions.source, "Table or select query to summarize")
      ->required();
  dbimport
      ->add_option("--fields", dbOptions.fields,
                   "Fields holding each variable's codes, in the order of the table's variables")
      ->delimiter(',')
      ->required();
  auto* countFlag = dbimport->add_flag("--count", count, "Count the rows of each combination");
  auto* sumOption =
      dbimport->add_option("--sum", dbOptions.sumField, "Sum this field for each combination");
  countFlag->excludes(sumOption);
  auto* sqlOption =
      dbimport->add_option("--sql", dbSql, "Run this statement instead of the generated one");
  dbimport->add_flag("--allow-damaged", dbOptions.allowDamaged,
                     "Write OUT although the database was read with warnings");

  bool dbFields = false;
  auto* dbinfo = app.add_subcommand(
      "dbinfo",
      "Print the user tables and select queries of DATABASE as one JSON object (exit 0, 1 read "
      "with warnings, which go to stderr, 2 the database cannot be read)");
  dbinfo->add_option("DATABASE", database, "Access (.mdb) or SQLite database file")->required();
  dbinfo->add_flag("--fields", dbFields, "Give each table's and query's fields and rows");

  auto* demo = app.add_subcommand("demo", "Build a small example table in memory and print it");

  CLI11_PARSE(app, argc, argv);

  if (check->parsed()) return zendra::cli::runCheck(checkFiles, std::cout, std::cerr);
  if (convert->parsed()) return zendra::cli::runConvert(in, out, oem, metaOnly, std::cerr);
  if (info->parsed()) return zendra::cli::runInfo(infoFile, values, std::cout, std::cerr);
  if (exportCommand->parsed()) {
    return zendra::cli::runExport(in, out, exportFormat, bom, std::cerr);
  }
  if (import->parsed()) {
    if (multiple || single) importOptions.multiple = multiple;
    return zendra::cli::runImport(table, data, out, importOptions, std::cerr);
  }
  if (dbimport->parsed()) {
    if (!count && dbOptions.sumField.empty()) {
      std::cerr << "dbimport: one of --count and --sum FIELD is required\n";
      return zendra::cli::kCannotRead;
    }
    if (sqlOption->count() > 0) dbOptions.sql = dbSql;
    return zendra::cli::runDbImport(table, database, out, dbOptions, std::cerr);
  }
  if (dbinfo->parsed()) return zendra::cli::runDbInfo(database, dbFields, std::cout, std::cerr);
  if (demo->parsed()) return zendra::cli::runDemo(std::cout);
  return 0;
}
