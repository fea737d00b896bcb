// The completeness rules, their messages and their order.
#include <gtest/gtest.h>

#include "core/format/completeness.h"
#include "core/format/format_test.h"
#include "core/grid/data_methods.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// A complete one-by-one table whose single cell the tests fill.
struct Complete {
  VexaMess doc;
  CellGrid grid;
  Complete() {
    doc.Matrix = doc.SubjectCode = doc.SubjectArea = doc.Contents = "x";
    doc.ContData->Units = "u";
    addVariable(doc, "region", 0, {"North"});
    doc.SprData = &grid;
    CreateGrid(doc, grid, true, false);
  }
  void cell(const char* text) { grid.setText(doc.DataRow1, doc.DataCol1, text); }
};

}  // namespace

TEST(Completeness, AnEmptyDocumentListsTheRulesInOrderThenVariablesValuesMapsAndUnits) {
  VexaMess doc;
  const auto result = test_file_complete(doc, nullptr);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.messages,
            ended("MATRIX is missing|SUBJECT-Code is missing|SUBJECT-AREA is missing|"
                  "CONTENTS is missing|No STUB or HEADING is defined |UNITS is missing|"
                  "DATA is missing for one or more cells|",
                  "\r\n"));

  // Variables, values, maps and units.
  doc.Matrix = doc.SubjectCode = doc.SubjectArea = doc.Contents = "x";
  auto region = addVariable(doc, "region", 0, {"North", "South", "north", "NORTH"});
  region->Map = "map";
  addVariable(doc, "empty", 1, {});
  auto measure = addVariable(doc, "measure", 1, {"Income", "", "Tax"});
  doc.ContVariable = "measure";
  doc.GetContdataKey("Income")->Units = "SEK";
  doc.MetadataOnly = true;  // no cell test
  EXPECT_EQ(test_file_complete(doc, nullptr).messages,
            ended("No VALUEs are defined for empty|Map( region) requires CODES|UNITS is missing|"
                  "UNITS(\"\") is missing|UNITS(\"Tax\") is missing|"
                  "Dublicate values for region (north)|Code (Value) is null in measure|",
                  "\r\n"));
  EXPECT_FALSE(StructureComplete(doc));
  doc.RemoveDimension(1, "empty");
  EXPECT_TRUE(StructureComplete(doc));
}

TEST(Completeness, TimeValuesByTheirScale) {
  VexaMess doc;
  doc.MetadataOnly = true;
  auto t = addVariable(doc, "time", 0, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"});
  t->UseTimeVal = true;
  // Lengths and positions count characters: "199é" has four.
  const char* cases[][2] = {{"M1", "200412"}, {"M1", "200413"}, {"W1", "200453"}, {"W1", "200454"},
                            {"Q1", "20044"},  {"Q1", "20045"},  {"A1", "04"},     {"D1", "2004"},
                            {"H1", "20042"},  {"A1", "199é"},   {"Q1", "Å0041"}};
  for (int i = 0; i < 11; ++i) {
    t->ValueCode.Item(i + 1)->TimeCode = cases[i][0];
    t->ValueCode.Item(i + 1)->TimeVal = cases[i][1];
  }
  const std::string m = test_file_complete(doc, nullptr).messages;
  const std::string mismatch = "Timeval and Code don't match time ";
  EXPECT_TRUE(m.ends_with(ended(mismatch + "(M1/200413)|" + mismatch + "(W1/200454)|" + mismatch +
                                    "(Q1/20045)|" + mismatch + "(A1/04)|" +
                                    "Invalide Code for Timeval time (D1)|",
                                "\r\n")))
      << m;
}

TEST(Completeness, CellsDecideTheCompleteTextAndKeysFormRowsAreSortedAndChecked) {
  Complete t;
  t.cell("..");
  EXPECT_EQ(Test_Complete(t.doc, &t.grid), "VQ file is complete ");
  t.cell("-");
  EXPECT_EQ(Test_Complete(t.doc, &t.grid), "VQ file is complete, one ore more cell contains '-' ");
  t.cell("x");
  EXPECT_EQ(Test_Complete(t.doc, &t.grid), "One or more cells contains invalid data\r\n");
  t.cell("");
  EXPECT_EQ(Test_Complete(t.doc, &t.grid), "DATA is missing for one or more cells\r\n");
  t.doc.MetadataOnly = true;  // cells are not examined, and a dash would not count
  EXPECT_EQ(Test_Complete(t.doc, &t.grid), "VQ file is complete ");

  // The keys form: rows are sorted and keys checked.
  t.doc.MetadataOnly = false;
  t.doc.FileWithKeys = true;
  auto region = t.doc.Get_Dimension("region");
  region->addVal()->value = "South";
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.grid.setText(3, 1, "South");
  t.grid.setNumber(3, 2, 2, 0);
  AppendKeysRow(t.doc, t.grid);
  t.grid.setText(4, 1, "North");
  t.grid.setNumber(4, 2, 1, 0);
  AppendKeysRow(t.doc, t.grid);
  EXPECT_EQ(Test_Complete(t.doc, &t.grid), "VQ file is complete ");
  EXPECT_EQ(t.grid.text(3, 1) + t.grid.text(3, 2), "North1");  // sorted

  t.grid.setText(4, 1, "West");
  EXPECT_EQ(Test_Complete(t.doc, &t.grid), "One or more Codes contains invalid data\r\n");
}
