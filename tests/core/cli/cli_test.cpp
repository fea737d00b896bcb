// The command-line companion: exit codes and output of check, convert and info.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/cli/commands.h"
#include "support/temp_folder.h"

using namespace zendra::cli;
using nlohmann::json;
using zendra::test::TempFolder;

namespace {

const std::string kData = ZENDRA_TEST_DATA;

const char* kComplete =
    "MATRIX=\"M\";SUBJECT-AREA=\"A\";SUBJECT-CODE=\"S\";CONTENTS=\"C\";UNITS=\"u\";"
    "STUB=\"r\";VALUES(\"r\")=\"a\",\"b\";DATA=1 -;";

}  // namespace

TEST(CliCheckConvertInfoAndImport, ExitCodesFollowWhatWasReadAndOutIsWrittenWhenNotAborted) {
  TempFolder dir;
  const std::string complete = dir.write("ok.vq", kComplete).string();
  const std::string keys = kData + "/keys_form.vq";
  std::ostringstream out, err;
  EXPECT_EQ(runCheck({complete}, out, err), kOk);
  EXPECT_EQ(out.str(), complete + "\nVQ file is complete, one ore more cell contains '-' \n");

  out.str("");
  EXPECT_EQ(runCheck({complete, keys}, out, err), kIncomplete);
  EXPECT_EQ(out.str().find('\r'), std::string::npos);
  EXPECT_EQ(runCheck({keys, dir.file("missing.vq")}, out, err), kCannotRead);
  // A folder says so.
  EXPECT_EQ(runCheck({dir.path().string()}, out, err), kCannotRead);
  // A FIFO is refused at once instead of waiting for a writer.
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_EQ(runCheck({dir.file("fifo")}, out, err), kCannotRead);

  // Surplus DATA elements make a file incomplete, and say so.
  std::string text = kComplete;
  const std::string file =
      dir.write("surplus.vq", text.replace(text.find("DATA=1 -;"), 9, "DATA=1 - 3 4 5;")).string();
  out.str("");
  EXPECT_EQ(runCheck({file}, out, err), kIncomplete);
  EXPECT_NE(out.str().find("3 elements more than the table has cells"), std::string::npos);

  // 2000 x 2000 x 200 cells: far past what a grid may hold, in a file of some 30 KB.
  std::string large = "MATRIX=\"M\";STUB=\"a\",\"b\";HEADING=\"c\";";
  for (const auto& [name, count] : {std::pair{"a", 2000}, {"b", 2000}, {"c", 200}}) {
    large += std::string("VALUES(\"") + name + "\")=";
    for (int i = 0; i < count; ++i) large += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
    large += ";";
  }
  const std::string in = dir.write("large.vq", large + "DATA=1 2 3;").string();
  EXPECT_EQ(runConvert(in, dir.file("out.vq"), false, false, err), kOk);
  EXPECT_NE(err.str().find(": The table has 800 000 000 cells, more than the grid"),
            std::string::npos);
  EXPECT_NE(TempFolder::read(dir / "out.vq").find("DATA=1 2 3;"), std::string::npos);

  // convert writes in the asked code page and tells what is incomplete; info describes.
  err.str("");
  EXPECT_EQ(runConvert(kData + "/keys_form.vq", dir.file("keys.vq"), false, false, err), kOk);
  // Export: the format from the extension (any letter case), the incomplete table all the
  // same, and a name that tells no format refused before anything is read.
  EXPECT_EQ(runExport(kData + "/keys_form.vq", dir.file("keys.CSV"), "", true, err), kOk);
  EXPECT_EQ(TempFolder::read(dir / "keys.CSV").substr(0, 22), "\xEF\xBB\xBFregion code,region,");
  EXPECT_EQ(runExport(kData + "/keys_form.vq", dir.file("keys.txt"), "", false, err), kCannotRead);
  EXPECT_FALSE(std::filesystem::exists(dir / "keys.txt"));
  EXPECT_EQ(runExport(kData + "/keys_form.vq", dir.file("keys.json"), "", false, err), kOk);
  EXPECT_EQ(TempFolder::read(dir / "keys.json").substr(0, 34),
            "{\"version\":\"2.0\",\"class\":\"dataset\"");
  EXPECT_EQ(runExport(kData + "/keys_form.vq", dir.file("k"), "xlsx", false, err), kOk);
  EXPECT_EQ(TempFolder::read(dir / "k").substr(0, 2), "PK");  // a zip archive
  EXPECT_NE(err.str().find("keys_form.vq is not complete:\nSUBJECT-Code"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir / "keys.vq"));  // written all the same
  EXPECT_EQ(runConvert(kData + "/oem_full.vq", dir.file("ansi.vq"), false, false, err), kOk);
  EXPECT_NE(TempFolder::read(dir / "ansi.vq").find("MATRIX=\"BE0101\xD6\""), std::string::npos);
  EXPECT_EQ(runConvert(kData + "/oem_full.vq", dir.file("meta.vq"), true, true, err), kOk);
  EXPECT_NE(TempFolder::read(dir / "meta.vq").find("MATRIX=\"BE0101\x99\""),
            std::string::npos);  // Ö in 850

  // A table whose file would read back as another one is not written: KEYS on a heading
  // variable alone makes the keys form, which a file without stub variables cannot keep.
  const auto keyed = dir.write("h.vq", "HEADING=\"h\";VALUES(\"h\")=\"a\";KEYS(\"h\")=VALUES;");
  EXPECT_EQ(runConvert(keyed.string(), dir.file("h2.vq"), false, false, err), kCannotRead);
  EXPECT_FALSE(std::filesystem::exists(dir / "h2.vq"));
  EXPECT_EQ(runConvert(dir.file("none.vq"), dir.file("x.vq"), false, false, err), kCannotRead);
  EXPECT_EQ(runConvert(kData + "/keys_form.vq", dir.file("no/folder/x.vq"), false, false, err),
            kCannotRead);

  out.str("");
  ASSERT_EQ(runInfo(kData + "/oem_full.vq", true, out, err), kOk);
  json info = json::parse(out.str());
  EXPECT_EQ(info["stub"][0], json::parse(R"({"name": "Region", "valueCount": 3, "codes": true,
      "time": false, "values": [{"value": "Åre", "code": "2321"},
      {"value": "Östersund", "code": "2380"}, {"value": "Malmö", "code": "1280"}]})"));
  EXPECT_EQ(info["heading"][1]["time"], true);

  out.str("");
  ASSERT_EQ(runInfo(kData + "/keys_form.vq", false, out, err), kOk);
  EXPECT_FALSE(json::parse(out.str())["stub"][0].contains("values"));
  EXPECT_EQ(runInfo("/no/such/file.vq", false, out, err), kCannotRead);

  // import: exit codes follow the log, and OUT is written only when not aborted.
  const std::string imported = dir.file("imported.vq");
  // Guessed: a tab, one value a line.
  const std::string good = dir.write("good.txt", "02\t0-19\tkvinnor\t8\n").string();
  EXPECT_EQ(runImport(keys, good, imported, {}, err), kOk);
  EXPECT_NE(TempFolder::read(imported).find("\"02\",\"0-19\",\"\",8;"), std::string::npos);

  // Options: ";" with a header line, a decimal comma (1,5 is written with the table's
  // no decimals), the row form; one line refused.
  ImportOptions options;
  options.separator = ";";
  options.decimal = ",";
  options.skipFirst = true;
  options.multiple = true;
  const std::string rows =
      dir.write("rows.csv", "region;age;men;women\n02;20-64;1,5;2\n09;0-19;1;1\n").string();
  err.str("");
  EXPECT_EQ(runImport(keys, rows, imported, options, err), kIncomplete);
  EXPECT_EQ(err.str(), "Line 3: Code: 09 in region is  invalid\n2 records Processed\n");
  EXPECT_NE(TempFolder::read(imported).find("\"02\",\"20-64\",2,2;"), std::string::npos);

  // Aborted, or a file that cannot be read: OUT is not written.
  const std::string bad = dir.write("bad.txt", "01\t0-19\tmän\t1\t2\n").string();
  const std::string none = dir.file("none.vq");
  EXPECT_EQ(runImport(keys, bad, none, {}, err), kCannotRead);
  EXPECT_EQ(runImport(keys, dir.file("missing.txt"), none, {}, err), kCannotRead);
  EXPECT_FALSE(std::filesystem::exists(none));
  EXPECT_EQ(runImport(keys, good, dir.file("no/folder/x.vq"), {}, err), kCannotRead);
}

namespace {

const std::string kDatabases = ZENDRA_DATABASES;

// Region and Sex down the side, Year across, with the codes Persons uses.
const char* kPersonsTable =
    "MATRIX=\"P\";DECIMALS=2;SUBJECT-AREA=\"A\";SUBJECT-CODE=\"S\";CONTENTS=\"C\";UNITS=\"u\";"
    "STUB=\"Region\",\"Sex\";HEADING=\"Year\";"
    "VALUES(\"Region\")=\"Stockholm\",\"Uppsala\",\"Sodermanland\",\"Ostergotland\";"
    "CODES(\"Region\")=\"01\",\"03\",\"04\",\"05\";"
    "VALUES(\"Sex\")=\"men\",\"women\";CODES(\"Sex\")=\"1\",\"2\";"
    "VALUES(\"Year\")=\"2021\",\"2022\",\"2023\";"
    "DATA=\n";

}  // namespace

TEST(CliDbImportAndInfo, SumsReachTheFileRefusalsAndDamageWriteNothingAndInfoDescribes) {
  TempFolder dir;
  const std::string in = dir.write("persons.vq", std::string(kPersonsTable) + ";").string();
  const std::string out = dir.file("out.vq"), stats = kDatabases + "/stats.mdb";
  ASSERT_EQ(::mkfifo(dir.file("fifo.mdb").c_str(), 0600), 0);  // refused at once, not waited on
  const std::vector<std::string> fields{"Region", "Sex", "Year"};
  auto persons = [&](const char* source, std::vector<std::string> names = {}) {
    return DbImportOptions{source, names.empty() ? fields : names, "Income", std::nullopt};
  };
  DbImportOptions writing = persons("Persons");
  writing.sql = "DELETE FROM [Persons]";
  const std::tuple<DbImportOptions, std::string, int, std::string> cases[] = {
      // Refused values are listed and OUT is not written.
      {persons("PersonsDirty"), stats, kIncomplete, "Code: 'Null' in Region is  invalid\n"},
      // A statement that writes is refused; so are a wrong field count, unknown names and a
      // FIFO. Files the engines refuse are the database tests' matter.
      {writing, stats, kCannotRead, "Sql failed to run"},
      {persons("Persons", {"Region", "Sex"}), stats, kCannotRead, "select 3 variable for stub"},
      {persons("Persons", {"Region", "Sex", "Nope"}), stats, kCannotRead, "no field named Nope"},
      {persons("Nowhere"), stats, kCannotRead, "no table or select query named Nowhere"},
      {persons("Persons"), dir.file("fifo.mdb"), kCannotRead, "fifo.mdb is not a database file"},
  };
  for (const auto& [options, database, code, says] : cases) {
    std::ostringstream err;
    SCOPED_TRACE(options.source + " " + database);
    EXPECT_EQ(runDbImport(in, database, out, options, err), code);
    EXPECT_NE(err.str().find(says), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(out));
  }

  // The statement run is printed; names are taken in the database's own spelling. Every
  // cell against the fixture's formula is the table-from-database tests' matter; here the
  // first row: Stockholm's men, 2021 to 2023.
  std::ostringstream err;
  DbImportOptions options{"persons", {"region", "Sex", "Year"}, "Income", std::nullopt};
  ASSERT_EQ(runDbImport(in, stats, out, options, err), kOk) << err.str();
  EXPECT_NE(err.str().find("Select [Region], [Sex], [Year], sum([Income])"), std::string::npos);
  EXPECT_NE(TempFolder::read(out).find("DATA=\r\n1000.25 2021.50 3063.75 \r\n"), std::string::npos);
  // An edited statement of the right shape runs as given.
  options.sql = "SELECT Region, Sex, Year, 1 FROM Persons GROUP BY Region, Sex, Year";
  EXPECT_EQ(runDbImport(in, stats, out, options, err), kOk) << err.str();
  EXPECT_NE(TempFolder::read(out).find("DATA=\r\n1.00 1.00 1.00 \r\n"), std::string::npos);

  // stats.mdb with bytes of a page that maps Persons garbled: libmdb warns while reading it,
  // and reads every row all the same. OUT is written only when that is allowed.
  std::string bytes = TempFolder::read(stats);
  for (int k = 0; k < 8; ++k) bytes[85 * 4096 + 200 + k * 5] ^= 0x55;
  const std::string damaged = dir.write("damaged.mdb", bytes).string();
  const std::string fromDamaged = dir.file("damaged.vq");
  options = {"Persons", {"Region", "Sex", "Year"}, "", std::nullopt};
  EXPECT_EQ(runDbImport(in, damaged, fromDamaged, options, err), kIncomplete);
  EXPECT_NE(err.str().find(": the file may be damaged: 2 warnings while reading Persons\n"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(fromDamaged));
  options.allowDamaged = true;
  EXPECT_EQ(runDbImport(in, damaged, fromDamaged, options, err), kOk) << err.str();
  EXPECT_NE(TempFolder::read(fromDamaged).find("DATA=\r\n1.00 2.00 3.00 \r\n"), std::string::npos);

  // dbinfo lists tables and queries, with fields and rows, and exits by what was read.
  std::ostringstream info;
  ASSERT_EQ(runDbInfo(stats, false, info, err), kOk) << err.str();
  EXPECT_EQ(json::parse(info.str())["tables"][0], json({{"name", "Table1"}}));
  info.str("");
  ASSERT_EQ(runDbInfo(stats, true, info, err), kOk) << err.str();
  const json full = json::parse(info.str());
  EXPECT_EQ(full["tables"][6], json::parse(R"({"name":"Municipalities","fields":[
      {"name":"Code","type":"integer"},{"name":"Name","type":"text"}],"rows":4})"));
  EXPECT_EQ(full["queries"][1]["rows"], 84);  // the persons of 2022 and 2023
  info.str("");
  EXPECT_EQ(runDbInfo(damaged, true, info, err), kIncomplete);
  EXPECT_FALSE(json::parse(info.str())["tables"].empty());
  const std::string broken =
      dir.write("broken.sqlite", "SQLite format 3\0 and then nothing").string();
  EXPECT_EQ(runDbInfo(broken, false, info, err), kCannotRead);
}
