// XLSX export, opened by python3-openpyxl (a reader that is not ours): the layout a reader
// sees, merged headings and stub texts, numbers as numbers, symbols as text, frozen panes
// and the metadata sheet. Skipped with a clear line when openpyxl is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/export/xlsx_export.h"
#include "support/loaded_table.h"
#include "support/temp_folder.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// What openpyxl reads: each sheet's cells as "A1=value" lines, its merged ranges and the
// frozen pane. Debian's python3, where python3-openpyxl installs.
std::string readBack(const std::string& file) {
  const std::string script =
      "import sys, openpyxl\n"
      "wb = openpyxl.load_workbook(sys.argv[1])\n"
      "for ws in wb:\n"
      "  print('sheet', ws.title, ws.freeze_panes, sorted(str(m) for m in "
      "ws.merged_cells.ranges))\n"
      "  for row in ws.iter_rows():\n"
      "    for c in row:\n"
      "      if c.value is not None: print(c.coordinate + '=' + repr(c.value) + ' ' + "
      "c.number_format)\n";
  const std::string command = "/usr/bin/python3 -c \"$SCRIPT\" '" + file + "' 2>&1";
  ::setenv("SCRIPT", script.c_str(), 1);
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

TEST(Xlsx, TheTableAsAReaderSeesItAndTheMetadataSheet) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "python3-openpyxl is not installed: the XLSX export is not read back";
  }
  const Loaded table(Loaded::Text{
      "CHARSET=\"ANSI\";\r\nMATRIX=\"T1\";\r\nCONTENTS=\"Count\";\r\nDECIMALS=1;\r\n"
      "TITLE=\"Count by region, sex and year\";\r\nNOTE=\"Table note\";\r\n"
      "STUB=\"region\",\"age\";\r\nHEADING=\"sex\",\"year\";\r\n"
      "VALUES(\"region\")=\"North\",\"South\";\r\nVALUES(\"age\")=\"young\",\"old\";\r\n"
      "VALUES(\"sex\")=\"men\",\"women\";\r\nVALUES(\"year\")=\"2020\",\"2021\";\r\n"
      "DATA=\r\n1.5 2 \"..\" \"-\"\r\n\"\" 3 4 5\r\n6 7 8 9\r\n10 11 12 13;\r\n"});
  ASSERT_EQ(table.result, LoadResult::Loaded);
  TempFolder folder;
  const std::string file = folder.file("t.xlsx");
  std::string error;
  ASSERT_TRUE(WriteXlsx(table.doc, table.grid, file, error)) << error;
  const std::string sheets = readBack(file);
  for (const char* expected :
       {"sheet Table C4 ['A4:A5', 'A6:A7', 'C2:D2', 'E2:F2']",  // stub down, heading across
        "A1='Count by region, sex and year' General",
        "C2='men' General",
        "E2='women' General",
        "F3='2021' General",
        "A3='region' General",
        "B3='age' General",
        "A4='North' General",
        "B5='old' General",
        "A6='South' General",
        "C4=1.5 0.0",
        "D4=2 0.0",
        "E4='..' General",
        "F4='-' General",
        "D5=3 0.0",
        "F7=13 0.0",
        "A9='Table note' General",
        "sheet Metadata",
        "A2='MATRIX' General",
        "C2='T1' General"}) {
    EXPECT_NE(sheets.find(std::string(expected) + (expected[0] == 's' ? "" : "\n")),
              std::string::npos)
        << expected << "\nin:\n"
        << sheets;
  }
  EXPECT_GT(sheets.find("C5="), sheets.find("sheet Metadata")) << "a missing cell stays empty";
}

}  // namespace
