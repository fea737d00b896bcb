#include "core/database/mdb_database.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/model/dimension_data.h"
#include "core/model/prompt.h"
#include "support/database_rows.h"
#include "support/temp_folder.h"

namespace zendra {
namespace {

using test::rowsOf;
using test::TempFolder;
namespace fs = std::filesystem;

std::string fixture(const char* name) {
  return std::string(ZENDRA_DATABASES) + "/" + name;
}

std::vector<std::string> names(const std::vector<ListEntry>& list) {
  std::vector<std::string> out;
  for (const ListEntry& e : list) out.push_back(e.text);
  return out;
}

struct Stats : ::testing::Test {
  clsMDB db;
  void SetUp() override {
    db.setDbName(fixture("stats.mdb"));
    ASSERT_TRUE(db.OpenDB());
  }
  std::int32_t tableNumber(const std::string& name) {
    for (const ListEntry& e : db.ListBoxTables()) {
      if (e.text == name) return e.itemData;
    }
    return -1;
  }
};

TEST_F(Stats, ListsUserTablesAndSelectQueriesInCatalogOrder) {
  const auto tables = db.ListBoxTables();
  EXPECT_EQ(names(tables),
            (std::vector<std::string>{"Table1", "Table2", "Table3", "Regions", "Sexes", "Years",
                                      "Municipalities", "Persons", "PersonsDirty"}));
  // Item data counts the system tables too, which come first and between.
  EXPECT_GT(tables.front().itemData, 1);
  for (std::size_t i = 1; i < tables.size(); ++i) {
    EXPECT_GT(tables[i].itemData, tables[i - 1].itemData);
  }
  EXPECT_EQ(db.ListBoxViews(),
            (std::vector<ListEntry>{{"SelectQuery", 0}, {"PersonsSince2022", 9}}));
  EXPECT_EQ(db.QuerySql(9),
            "SELECT Persons.Region,Persons.Sex,Persons.Year,Persons.Income FROM [Persons] WHERE "
            "(((Persons.Year)>=\"2022\"))");
  EXPECT_EQ(db.QuerySql(0),
            "SELECT DISTINCT Table1.*,Table2.col1,Table2.col2,Table3.col3 FROM "
            "[Table1],[Table2],[Table3] WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In "
            "(\"buzz\",\"bazz\"))) ORDER BY Table2.col1");

  clsMDB empty;
  empty.setDbName(fixture("systemonly.mdb"));
  ASSERT_TRUE(empty.OpenDB());
  EXPECT_TRUE(empty.ListBoxTables().empty());
  EXPECT_TRUE(empty.ListBoxViews().empty());
}

TEST_F(Stats, FieldsAndRelationsOfTablesAndQueries) {
  db.SelectTable(tableNumber("Persons"));
  EXPECT_EQ(db.TableName(), "Persons");
  EXPECT_EQ(names(db.ListBoxFields()),
            (std::vector<std::string>{"Region", "Sex", "Year", "Income"}));
  EXPECT_EQ(db.ListBoxFields()[3].itemData, 3);

  auto variable = DimensionData::create("region");
  variable->dbName = fixture("stats.mdb");
  variable->TableName = "Regions";
  variable->CodeField = "Code";
  db.PrepareRelations(*variable);
  EXPECT_TRUE(db.TestRelations(0));
  EXPECT_FALSE(db.TestRelations(1));
  variable->TableName = "Sexes";
  db.PrepareRelations(*variable);
  EXPECT_FALSE(db.TestRelations(0));
  EXPECT_TRUE(db.TestRelations(1));
  variable->CodeField = "Name";
  db.PrepareRelations(*variable);
  EXPECT_FALSE(db.TestRelations(1));
  variable->CodeField = "Code";
  variable->dbName = "/elsewhere/stats.mdb";
  db.PrepareRelations(*variable);
  EXPECT_FALSE(db.TestRelations(1));

  // The saved query's fields come from Persons, so they follow its relations.
  variable->dbName = fixture("stats.mdb");
  db.SelectView(9);
  EXPECT_EQ(db.ViewName(), "PersonsSince2022");
  const dbFelter felter = db.makeFelter();
  ASSERT_EQ(felter.Count(), 4);
  EXPECT_EQ(felter.Item(2).felt.sourceTable, "Persons");
  EXPECT_EQ(felter.Item(2).felt.sourceField, "Sex");
  db.PrepareRelations(*variable);
  EXPECT_TRUE(db.TestRelations(1));
}

TEST_F(Stats, ValuesOfEveryKind) {
  ASSERT_TRUE(db.OpenRecordSet("SELECT Code, Name FROM [Municipalities]"));
  db.MoveNext();
  EXPECT_EQ(db.RecordCount(), 4);  // and back at the first record
  EXPECT_EQ(dbValueText(db.Field(0)), "114");
  EXPECT_EQ(rowsOf(db), (std::vector<std::string>{"114|Upplands Väsby", "180|Stockholm",
                                                  "380|Uppsala", "'Null'|Unknown"}));
  ASSERT_TRUE(db.OpenRecordSet("SELECT * FROM PersonsDirty"));
  EXPECT_EQ(rowsOf(db),
            (std::vector<std::string>{"01|1|2021|10.5", "99|1|2021|11.5", "'Null'|2|2022|12.5",
                                      "03|3|2023|13.5", "03|2|2023|'Null'"}));
  // Text compares without case, Ö and ö alike.
  ASSERT_TRUE(
      db.OpenRecordSet("SELECT Code FROM Regions WHERE Name = \"ÖSTERGÖTLAND\" OR Name "
                       "= 'uppsala' ORDER BY Code"));
  EXPECT_EQ(rowsOf(db), (std::vector<std::string>{"03", "05"}));
  // A Null group stays Null; a Null amount adds nothing.
  ASSERT_TRUE(
      db.OpenRecordSet("SELECT Region, SUM(Income), COUNT(*) FROM PersonsDirty GROUP BY "
                       "Region ORDER BY Region"));
  EXPECT_EQ(rowsOf(db),
            (std::vector<std::string>{"'Null'|12.5|1", "01|10.5|1", "03|13.5|2", "99|11.5|1"}));
}

TEST_F(Stats, GroupedCountsAndSumsFollowTheFormula) {
  ASSERT_TRUE(db.OpenRecordSet(
      "SELECT [Region], [Sex], [Year], Count(*), Sum([Income]) FROM [Persons] GROUP BY [Region], "
      "[Sex], [Year] ORDER BY 1, 2, 3"));
  EXPECT_EQ(db.RecordCount(), 24);
  const char* regions[] = {"01", "03", "04", "05"};
  db.MoveFirst();
  for (int r = 0; r < 4; ++r) {
    for (int s = 0; s < 2; ++s) {
      for (int y = 0; y < 3; ++y, db.MoveNext()) {
        ASSERT_FALSE(db.AtEOF());
        const int c = (r + 1) * (s + 1) + y;
        EXPECT_EQ(dbValueText(db.Field(0)), regions[r]);
        EXPECT_EQ(dbValueText(db.Field(1)), std::to_string(s + 1));
        EXPECT_EQ(dbValueText(db.Field(2)), std::to_string(2021 + y));
        EXPECT_EQ(db.Field(3).integer, c);
        EXPECT_DOUBLE_EQ(*db.Field(4).number(),
                         c * (1000.0 * (r + 1) + 100 * s + 10 * y + 0.25) + c * (c - 1) / 2.0);
      }
    }
  }
  EXPECT_TRUE(db.AtEOF());
}

TEST_F(Stats, SavedQueriesRunAsViews) {
  ASSERT_TRUE(db.OpenRecordSet("SELECT COUNT(*), MIN(Year) FROM [PersonsSince2022]"));
  // Rows of 2022 and 2023: the sum of c over them.
  int expected = 0;
  for (int r = 0; r < 4; ++r) {
    for (int s = 0; s < 2; ++s) expected += 2 * (r + 1) * (s + 1) + 1 + 2;
  }
  EXPECT_EQ(rowsOf(db), (std::vector<std::string>{std::to_string(expected) + "|2022"}));
  // Double-quoted literals and a three-table join; the tables are empty.
  ASSERT_TRUE(db.OpenRecordSet("SELECT * FROM SelectQuery"));
  EXPECT_TRUE(db.AtEOF());
  EXPECT_EQ(db.FieldCount(), 6);
  EXPECT_FALSE(db.OpenRecordSet("SELECT * FROM UpdateQuery"));  // not a select query
  EXPECT_FALSE(db.OpenRecordSet("ATTACH DATABASE ':memory:' AS x"));
  EXPECT_FALSE(db.OpenRecordSet("SELECT 1; DELETE FROM Persons"));
}

TEST(MdbDatabase, DamagedFilesAreNotReadable) {
  TempFolder folder;
  const std::string stats = TempFolder::read(fixture("stats.mdb"));
  std::string overwritten = stats;
  for (std::size_t i = stats.size() / 3; i < stats.size() / 3 + 20000; ++i) {
    overwritten[i] = static_cast<char>(i * 7);
  }
  std::string headerless = stats;
  for (std::size_t i = 0; i < 4096; ++i) headerless[i] = static_cast<char>(i * 13);
  const std::pair<const char*, std::string> files[] = {
      {"text.mdb", "This is a text file, not a database.\n"},
      {"empty.mdb", ""},
      {"truncated.mdb", stats.substr(0, 70000)},
      {"headerless.mdb", headerless},
      {"overwritten.mdb", overwritten},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    clsMDB db;
    db.setDbName(folder.write(name, bytes).string());
    const DbResult opened = db.OpenDB();
    if (std::string(name) != "overwritten.mdb") {
      EXPECT_FALSE(opened);
      EXPECT_FALSE(opened.error.empty());
      EXPECT_FALSE(db.isOpen());
      continue;
    }
    // Damage in the middle may only show when rows are read: no crash, just failures.
    if (!opened) continue;
    for (const ListEntry& table : db.ListBoxTables()) {
      const DbResult read = db.OpenRecordSet("SELECT * FROM " + bracketName(table.text));
      if (read) db.RecordCount();
    }
  }
  clsMDB missing;
  missing.setDbName(folder.file("missing.mdb"));
  EXPECT_FALSE(missing.OpenDB());
}

// Opens stats.mdb with the reader program replaced by a shell script.
DbResult openWithReader(const std::string& script) {
  TempFolder folder;
  const auto reader = folder.write("reader", "#!/bin/sh\n" + script);
  fs::permissions(reader, fs::perms::owner_all);
  ::setenv("ZENDRA_MDB_READER", reader.c_str(), 1);
  clsMDB db;
  db.setDbName(fixture("stats.mdb"));
  const DbResult result = db.OpenDB();
  ::unsetenv("ZENDRA_MDB_READER");
  EXPECT_FALSE(db.isOpen());
  return result;
}

TEST(MdbDatabase, AReaderThatFailsMakesTheFileUnreadable) {
  EXPECT_NE(openWithReader("kill -SEGV $$\n").error.find("signal 11"), std::string::npos);
  EXPECT_EQ(openWithReader("echo first >&2; echo 'Bad page' >&2; exit 3\n").error, "Bad page");
  EXPECT_EQ(openWithReader("printf 'garbage of some length'\n").error,
            "The file is damaged: its contents cannot be read");
  // A stream that stops in the middle of a record.
  EXPECT_EQ(openWithReader("printf '\\006\\0\\0\\0ZMDB1\\nT\\011\\0\\0'\n").error,
            "The file is damaged: its contents cannot be read");
  EXPECT_NE(openWithReader("exec /nonexistent/zendra-mdb\n").error, "");
  ::setenv("ZENDRA_MDB_READER", "/nonexistent/zendra-mdb", 1);
  clsMDB db;
  db.setDbName(fixture("stats.mdb"));
  EXPECT_FALSE(db.OpenDB());
  ::unsetenv("ZENDRA_MDB_READER");
}

TEST(MdbDatabase, ReopensAFileReplacedOnDisk) {
  TempFolder folder;
  const std::string path = folder.file("live.mdb");
  fs::copy_file(fixture("stats.mdb"), path);
  clsMDB db;
  db.setDbName(path);
  ASSERT_TRUE(db.OpenDB());
  ASSERT_TRUE(db.OpenRecordSet("SELECT COUNT(*) FROM Regions"));
  EXPECT_EQ(rowsOf(db), std::vector<std::string>{"4"});
  db.SelectTable(db.ListBoxTables().front().itemData);

  fs::copy_file(fixture("systemonly.mdb"), folder.file("next.mdb"));
  fs::rename(folder.file("next.mdb"), path);
  EXPECT_TRUE(db.fileChanged());
  EXPECT_TRUE(db.ListBoxFields().empty());
  EXPECT_TRUE(db.ListBoxTables().empty());
  EXPECT_FALSE(db.OpenRecordSet("SELECT COUNT(*) FROM Regions"));  // not the old copy

  fs::remove(path);
  EXPECT_FALSE(db.OpenRecordSet("SELECT 1"));
  EXPECT_TRUE(db.ListBoxTables().empty());
  fs::copy_file(fixture("stats.mdb"), path);
  ASSERT_TRUE(db.OpenRecordSet("SELECT COUNT(*) FROM Sexes"));
  EXPECT_EQ(rowsOf(db), std::vector<std::string>{"2"});
}

TEST(MdbDatabase, BigTablesReportProgressAndCancel) {
  clsMDB db;
  db.setDbName(fixture("facts100k.mdb"));
  ASSERT_TRUE(db.OpenDB());
  ScriptedPrompt cancelling;
  cancelling.cancel();
  db.setPrompt(&cancelling);
  const DbResult cancelled = db.OpenRecordSet("SELECT COUNT(*) FROM Facts");
  EXPECT_FALSE(cancelled);
  EXPECT_TRUE(cancelled.cancelled);

  ScriptedPrompt watching;
  db.setPrompt(&watching);
  ASSERT_TRUE(db.OpenRecordSet(
      "SELECT COUNT(*), SUM(Amount) FROM (SELECT Region, Sex, Year, COUNT(*) AS n, SUM(Amount) "
      "AS Amount FROM Facts GROUP BY Region, Sex, Year)"));
  double sum = 0;
  for (int i = 0; i < 100000; ++i) sum += (i % 997) + 0.5;
  EXPECT_EQ(rowsOf(db), (std::vector<std::string>{"2000|" + dbValueText([&] {
                                                    DbValue v;
                                                    v.kind = DbValue::Kind::Real;
                                                    v.real = sum;
                                                    return v;
                                                  }())}));
  EXPECT_GT(watching.progressReports, 1);
  EXPECT_EQ(watching.lastProgress, 100000);
  EXPECT_EQ(watching.lastTotal, 100000);
}

}  // namespace
}  // namespace zendra
