// JSON-stat 2.0 export, read back with nlohmann-json and checked against the format's
// rules: as many values as the product of size, every id with its categories in order,
// numbers in row-major order, null and status for the other cells.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "core/export/json_stat_export.h"
#include "support/loaded_table.h"

using namespace zendra;
using namespace zendra::test;
using nlohmann::json;

namespace {

json exported(const Loaded& table) {
  std::string text;
  WriteJsonStat(table.doc, table.grid, [&](std::string_view piece) {
    text += piece;
    return true;
  });
  return json::parse(text);  // throws, failing the test, on anything but JSON
}

TEST(JsonStat, NormalFormDatasetWithCodesTimeMetricUnitsSymbolsAndNotes) {
  const Loaded table(Loaded::Text{
      "CHARSET=\"ANSI\";\r\nMATRIX=\"T1\";\r\nCONTENTS=\"Count\";\r\nDECIMALS=1;\r\n"
      "SOURCE=\"Office \\\"A\\\"\";\r\nNOTE=\"Table note\";\r\n"
      "STUB=\"region\";\r\nHEADING=\"product\",\"year\";\r\n"
      "VALUES(\"region\")=\"North\",\"South\";\r\nCODES(\"region\")=\"01\",\"02\";\r\n"
      "VALUES(\"product\")=\"Milk\",\"Bread\";\r\n"
      "VALUES(\"year\")=\"2020\",\"2021\";\r\nTIMEVAL(\"year\")=TLIST(A1, \"2020-2021\");\r\n"
      "CONTVARIABLE=\"product\";\r\nUNITS(\"Milk\")=\"litres\";\r\nUNITS(\"Bread\")=\"kg\";\r\n"
      "LAST-UPDATED(\"Milk\")=\"20240115 09:30\";\r\nVALUENOTE(\"region\",\"North\")=\"cold\";\r\n"
      "DATA=\r\n1.5 2 \"..\" \"-\"\r\n\"\" 3.25 \"x\" 4;\r\n"});
  ASSERT_EQ(table.result, LoadResult::Loaded);
  const json j = exported(table);
  EXPECT_EQ(j["version"], "2.0");
  EXPECT_EQ(j["class"], "dataset");
  EXPECT_EQ(j["id"], json({"region", "product", "year"}));
  EXPECT_EQ(j["size"], json({2, 2, 2}));
  std::size_t n = 1;
  for (const auto& s : j["size"]) n *= s.get<std::size_t>();
  ASSERT_EQ(j["value"].size(), n);
  EXPECT_EQ(j["value"], json::parse("[1.5,2.0,null,null,null,3.3,null,4.0]"));
  EXPECT_EQ(j["status"], json({{"2", ".."}, {"3", "-"}, {"6", "x"}}));
  EXPECT_EQ(j["role"]["time"], json({"year"}));
  EXPECT_EQ(j["role"]["metric"], json({"product"}));
  const json& region = j["dimension"]["region"]["category"];
  EXPECT_EQ(region["index"], json({{"01", 0}, {"02", 1}}));
  EXPECT_EQ(region["label"]["02"], "South");
  EXPECT_EQ(region["note"]["01"], json({"cold"}));
  EXPECT_EQ(j["dimension"]["product"]["category"]["unit"]["Bread"]["label"], "kg");
  EXPECT_EQ(j["dimension"]["product"]["category"]["unit"]["Milk"]["decimals"], 1);
  EXPECT_EQ(j["note"], json({"Table note"}));
  EXPECT_EQ(j["extension"]["matrix"], "T1");
  EXPECT_EQ(j["updated"], "2024-01-15T09:30");  // from the content value that has one
}

TEST(JsonStat, KeysFormValuesAreAnObjectKeyedByPosition) {
  const Loaded table("keys_form.vq");
  const json j = exported(table);
  EXPECT_EQ(j["size"], json({2, 3, 2}));
  // Rows "01","0-19" -> positions 0 and 1; "01","20-64" -> 2 and 3 ("..").
  EXPECT_EQ(j["value"]["0"], 0);
  EXPECT_EQ(j["value"]["1"], 5);
  EXPECT_TRUE(j["value"]["3"].is_null());
  EXPECT_EQ(j["status"]["3"], "..");
  EXPECT_EQ(j["value"]["10"], 7);  // "02","65+",men: (1*3+2)*2+0
  EXPECT_EQ(j["value"].size(), 6u);
}

TEST(JsonStat, AnOemTableKeepsEveryLetterAndHasAValueForEveryPosition) {
  const Loaded table("oem_full.vq");
  ASSERT_EQ(table.result, LoadResult::Loaded);
  const json j = exported(table);
  std::size_t n = 1;
  for (const auto& s : j["size"]) n *= s.get<std::size_t>();
  EXPECT_EQ(j["value"].size(), n);
  EXPECT_EQ(j["extension"]["matrix"], table.doc.Matrix);  // "BE0101" and an O with umlaut
}

}  // namespace
