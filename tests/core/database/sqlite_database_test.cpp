// The SQLite engine and what both engines share: value texts, names, the Access dialect,
// the catalog, relations, refused statements, awkward names and files that change.
#include "core/database/sqlite_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "core/database/access_sql.h"
#include "core/database/table_from_database.h"
#include "core/model/dimension_data.h"
#include "support/database_rows.h"
#include "support/temp_folder.h"

namespace zendra {
namespace {

using test::rowsOf;
using test::TempFolder;
using Rows = std::vector<std::string>;
namespace fs = std::filesystem;

// Builds a SQLite file from statements.
void makeSqlite(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

struct Sqlite : ::testing::Test {
  TempFolder folder;
  std::string path = folder.file("t.sqlite");
  clsSQLiteDb db;
  // Makes the file of these statements and opens it.
  void open(const std::string& sql) {
    makeSqlite(path, sql);
    db.setDbName(path);
    ASSERT_TRUE(db.OpenDB());
  }
  Rows run(const std::string& sql) {
    EXPECT_TRUE(db.OpenRecordSet(sql)) << sql;
    return rowsOf(db);
  }
};

const char* const kRegionsDb = R"(
  CREATE TABLE Regions (Code TEXT PRIMARY KEY, Name TEXT);
  CREATE TABLE Counter (id INTEGER PRIMARY KEY AUTOINCREMENT, v INTEGER);
  CREATE TABLE Persons (Region TEXT REFERENCES Regions(Code), Born DATE, Paid BOOLEAN,
                        Income REAL, Kids INTEGER, Sex TEXT REFERENCES Sexes);
  CREATE TABLE Sexes (Code TEXT PRIMARY KEY, Name TEXT);
  CREATE VIEW Rich AS SELECT Region, Income FROM Persons WHERE Income > 100;
  INSERT INTO Regions VALUES ('01', 'Stockholm'), ('05', 'Östergötland');
  INSERT INTO Counter (v) VALUES (1);
  INSERT INTO Persons VALUES ('01', '2021-03-04', 1, 1000.25, 2, '1'),
                             ('05', '2020-01-02', 0, 0.1, NULL, '2'),
                             (NULL, NULL, NULL, NULL, 3, '1');
)";

// Value texts are checked through the rows the engines give, the kind of a file through the
// command-line tests' files.
TEST(DatabaseValues, NamesPathsAndTheAccessDialect) {
  EXPECT_EQ(bracketName("a]b") + bracketName("[x]"), "[a]]b][[x]]]");

  clsSQLiteDb db;
  db.setDBPath("/start");
  db.setDbName("nofolder.db");
  EXPECT_EQ(db.DBPath() + "|" + db.DBFile(), "/start|");
  db.setDbName("/data/x/stats.mdb");
  EXPECT_EQ(db.DBPath() + "|" + db.DBFile(), "/data/x|stats.mdb");

  // The Access dialect as users commonly write it.
  const std::pair<const char*, const char*> cases[] = {
      {R"(SELECT [a]]b].[sp ace] FROM [a]]b])", R"(SELECT "a]b"."sp ace" FROM "a]b")"},
      {R"(WHERE x="it's ""so""")", R"(WHERE x='it''s "so"')"},
      {"SELECT a & 'b' & \"c\"", "SELECT a || 'b' || 'c'"},
      {"WHERE d >= #3/4/2021# AND e < #2021-12-31 10:30 PM#",
       "WHERE d >= '2021-03-04' AND e < '2021-12-31 22:30:00'"},
      {"SELECT '#1/2/2020#', '[x]' -- [y]", "SELECT '#1/2/2020#', '[x]' -- [y]"},
      {"SELECT [open", "SELECT [open"},
  };
  for (const auto& [access, sqlite] : cases) EXPECT_EQ(translateAccessSql(access).sql, sqlite);
  EXPECT_EQ(translateAccessSql("SELECT T.x FROM [My Table] AS T, Ö2 WHERE 'Hidden'=1").names,
            (Rows{"SELECT", "T", "x", "FROM", "My Table", "AS", "T", "Ö2", "WHERE"}));
}

TEST_F(Sqlite, CatalogFieldsRelationsValuesAndOneReadingStatementOnly) {
  open(kRegionsDb);
  // sqlite_sequence (the fourth table made) is SQLite's own and not listed.
  EXPECT_EQ(db.ListBoxTables(),
            (std::vector<ListEntry>{{"Regions", 1}, {"Counter", 2}, {"Persons", 4}, {"Sexes", 5}}));
  EXPECT_EQ(db.ListBoxViews(), (std::vector<ListEntry>{{"Rich", 0}}));

  db.SelectTable(4);
  EXPECT_EQ(db.Fieldname(3) + db.Fieldname("income") + db.SelectFieldname(0),
            "IncomeIncome[Region]");
  EXPECT_EQ(db.makeFelter().Item(6).Index, 5);

  // Sexes is named without a field: its primary key is meant. The view's Region follows
  // its table's relation.
  // The last row asks on the view.
  auto variable = DimensionData::create("region");
  variable->CodeField = "Code";
  for (const auto& [file, table, field, related] :
       {std::tuple{path, "Regions", 5, false},
        {path, "Sexes", 5, true},
        {folder.file("other.sqlite"), "Sexes", 5, false},
        {path, "Regions", 0, true}}) {
    SCOPED_TRACE(file + " " + table + " " + std::to_string(field));
    if (field == 0) db.SelectView(0);
    variable->dbName = file;
    variable->TableName = table;
    db.PrepareRelations(*variable);
    EXPECT_EQ(db.TestRelations(field), related);
  }
  ASSERT_TRUE(db.OpenRecordSet("SELECT Region, Born, Paid, Income, Kids FROM [Persons]"));
  EXPECT_EQ(rowsOf(db), (Rows{"01|2021-03-04|True|1000.25|2", "05|2020-01-02|False|0.1|'Null'",
                              "'Null'|'Null'|'Null'|'Null'|3"}));
  db.MoveFirst();
  EXPECT_EQ(db.Field(1).kind, DbValue::Kind::Date);

  // Text columns compare without case, as in an Access file; a view over them too. Null in
  // a sum counts as nothing; a Null group comes back as Null.
  EXPECT_EQ(run("SELECT COUNT(*) FROM Regions WHERE Name = 'ÖSTERGÖTLAND' OR Code IN ('01', 'x')"),
            Rows{"2"});
  EXPECT_EQ(run("SELECT COUNT(*) FROM Rich WHERE Region = '01'"), Rows{"1"});
  EXPECT_EQ(run("SELECT Region, SUM(Kids) FROM Persons GROUP BY Region ORDER BY Region"),
            (Rows{"'Null'|3", "01|2", "05|'Null'"}));

  // Only one statement that reads runs.
  const std::string before = TempFolder::read(path);
  // Each refusal says why; one of the authorizer names the kind of statement refused.
  const std::pair<std::string, std::string> refused[] = {
      {"ATTACH DATABASE '" + folder.file("x.db") + "' AS x", "not authorized: ATTACH is refused"},
      {"VACUUM INTO '" + folder.file("copy.db") + "'", "Only a statement that reads rows"},
      {"SELECT 1; DROP TABLE Regions", "Only one statement can run at a time"},
      {"UPDATE Regions SET Name = 'x'", "cannot modify Regions because it is a view"},
      {"PRAGMA table_info(Regions)", "not authorized: PRAGMA is refused"},
      {"WITH x AS (SELECT 1) DELETE FROM main.Regions", "not authorized: DELETE is refused"},
      {"  ;", "The statement is empty"},
  };
  for (const auto& [sql, why] : refused) {
    EXPECT_NE(db.OpenRecordSet(sql).error.find(why), std::string::npos) << sql;
  }
  EXPECT_FALSE(fs::exists(folder.file("x.db")) || fs::exists(folder.file("copy.db")));
  EXPECT_EQ(TempFolder::read(path), before);
  EXPECT_EQ(run("SELECT COUNT(*) FROM Regions; ;\n"), Rows{"2"});
  EXPECT_EQ(run("SELECT 2.0, -114"), Rows{"2|-114"});
}

TEST_F(Sqlite, AwkwardNamesEveryFieldCaseFreeTextAndLateFailures) {
  open(R"(
    CREATE TABLE "a]b" ("[x]" TEXT, "sp ace" INTEGER, "q""uote" TEXT);
    CREATE TABLE t (a INTEGER, b TEXT, twice INTEGER GENERATED ALWAYS AS (a * 2));
    CREATE TABLE "sp ace" (g VARCHAR(10), x INTEGER);
    INSERT INTO "a]b" VALUES ('one', 1, 'q'), ('two', 2, 'q');
    INSERT INTO t (a, b) VALUES (1, 'x'), (2, 'y');
    INSERT INTO "sp ace" VALUES ('Öl', 1), ('öL', 2), ('b', 9223372036854775807), ('b', 1);
  )");
  ASSERT_EQ(db.ListBoxTables().size(), 3u);
  db.SelectTable(1);
  EXPECT_EQ(run("SELECT " + db.SelectFieldname(0) + ", SUM(" + db.SelectFieldname(1) + ") FROM " +
                db.SelectTableName() + " GROUP BY " + db.SelectFieldname(2) + ", " +
                db.SelectFieldname(0) + " ORDER BY 1"),
            (Rows{"one|1", "two|2"}));
  // A generated column is listed and reads.
  db.SelectTable(2);
  EXPECT_EQ(
      run("SELECT " + db.SelectFieldname(2) + " FROM " + db.SelectTableName() + " ORDER BY 1"),
      (Rows{"2", "4"}));
  // A misspelt bracketed name is an error, never its own text as every value.
  EXPECT_FALSE(db.OpenRecordSet("SELECT [nope] FROM [t]"));
  // Double-quoted texts stay texts, as Access reads them.
  EXPECT_EQ(run("SELECT \"b\" FROM [t] WHERE [b] = \"y\""), Rows{"b"});
  // Text folds Latin letters without case, declared columns and CASEFREE alike.
  db.SelectTable(3);
  EXPECT_EQ(run("SELECT COUNT(*) FROM " + db.SelectTableName() + " WHERE g <> 'b' GROUP BY g"),
            Rows{"2"});
  ASSERT_TRUE(db.OpenRecordSet(
      "SELECT MIN(x), COUNT(*) FROM (SELECT 'Łódź' AS x UNION ALL SELECT 'łÓDŹ' UNION ALL "
      "SELECT 'b') GROUP BY x COLLATE CASEFREE ORDER BY x COLLATE CASEFREE"));
  EXPECT_EQ(rowsOf(db), (Rows{"b|1", "Łódź|2"}));
  // The sum of "b" overflows only once the first group was returned: no rows at all.
  DbRows rows;
  EXPECT_FALSE(RunDbQuery(db, "SELECT g, sum(x) FROM \"sp ace\" GROUP BY g", rows));
  EXPECT_TRUE(rows.rows.empty());
}

TEST_F(Sqlite, FilesBrokenMissingOrReplacedOnDisk) {
  // A file is known by its header, whatever its name.
  makeSqlite(folder.file("plain.bin"), "CREATE TABLE t (a);");
  EXPECT_EQ(databaseKindOf(folder.file("plain.bin")), DatabaseKind::SQLite);
  clsSQLiteDb text;
  text.setDbName(folder.write("notes.db", "just some words, not a database at all\n").string());
  EXPECT_FALSE(text.OpenDB().error.empty());
  text.setDbName(folder.file("missing.db"));
  EXPECT_FALSE(text.OpenDB());

  // Replaced meanwhile by a file where another table stands first: an earlier choice finds
  // its table by name.
  open("CREATE TABLE a (x); CREATE TABLE b (y);");
  const std::vector<ListEntry> tables = db.ListBoxTables();
  ASSERT_EQ(tables.size(), 2u);
  fs::remove(path);
  makeSqlite(path, "CREATE TABLE c (z); CREATE TABLE a (x); CREATE TABLE b (y);");
  db.SelectTable(tables[1].itemData);
  EXPECT_EQ(db.TableName(), "b");
  // Replaced again: the old table's fields are gone.
  makeSqlite(folder.file("next.db"), "CREATE TABLE Second (b); INSERT INTO Second VALUES (2);");
  fs::rename(folder.file("next.db"), path);
  EXPECT_TRUE(db.fileChanged());
  EXPECT_TRUE(db.ListBoxFields().empty());
  EXPECT_EQ(run("SELECT b FROM Second"), Rows{"2"});
  fs::remove(path);
  EXPECT_FALSE(db.OpenRecordSet("SELECT b FROM Second"));
}

}  // namespace
}  // namespace zendra
