// The Access engine on the real fixture files: catalog, fields, relations, values, saved
// queries and code lists; damaged files, failing readers, replaced files and progress; the
// generated counts and sums grouped as rows arrive, against SQLite's grouping of the copy.
#include "core/database/mdb_database.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "core/database/code_list.h"
#include "core/database/table_from_database.h"
#include "core/model/dimension_data.h"
#include "core/model/prompt.h"
#include "support/database_rows.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace zendra {
namespace {

using test::rowsOf;
using test::TempFolder;
using Rows = std::vector<std::string>;
namespace fs = std::filesystem;

std::string fixture(const char* name) {
  return std::string(ZENDRA_DATABASES) + "/" + name;
}

struct Stats : ::testing::Test {
  clsMDB db;
  void SetUp() override {
    db.setDbName(fixture("stats.mdb"));
    ASSERT_TRUE(db.OpenDB());
  }
  void selectTable(const std::string& name) {
    for (const ListEntry& e : db.ListBoxTables()) {
      if (e.text == name) db.SelectTable(e.itemData);
    }
  }
  Rows run(const std::string& sql) {
    EXPECT_TRUE(db.OpenRecordSet(sql)) << sql;
    return rowsOf(db);
  }
};

TEST_F(Stats, CatalogInOrderAndFieldsAndRelationsOfTablesAndQueries) {
  Rows names;
  for (const ListEntry& e : db.ListBoxTables()) names.push_back(e.text);
  EXPECT_EQ(names, (Rows{"Table1", "Table2", "Table3", "Regions", "Sexes", "Years",
                         "Municipalities", "Persons", "PersonsDirty"}));
  EXPECT_EQ(db.ListBoxViews(),
            (std::vector<ListEntry>{{"SelectQuery", 0}, {"PersonsSince2022", 9}}));
  EXPECT_EQ(db.QuerySql(9),
            "SELECT Persons.Region,Persons.Sex,Persons.Year,Persons.Income FROM [Persons] WHERE "
            "(((Persons.Year)>=\"2022\"))");

  clsMDB empty;
  empty.setDbName(fixture("systemonly.mdb"));
  ASSERT_TRUE(empty.OpenDB());
  EXPECT_TRUE(empty.ListBoxTables().empty());

  selectTable("Persons");
  ASSERT_EQ(db.ListBoxFields().size(), 4u);
  EXPECT_EQ(db.ListBoxFields()[3].text, "Income");

  // Region (field 0) relates to Regions.Code, Sex (field 1) to Sexes.Code, in this file only.
  const std::string stats = fixture("stats.mdb");
  auto variable = DimensionData::create("region");
  for (const auto& [file, table, code, region] :
       {std::tuple{stats, "Regions", "Code", true},
        {stats, "Sexes", "Name", false},
        {std::string("/elsewhere/stats.mdb"), "Sexes", "Code", false}}) {
    SCOPED_TRACE(file + " " + table + "." + code);
    variable->dbName = file;
    variable->TableName = table;
    variable->CodeField = code;
    db.PrepareRelations(*variable);
    EXPECT_EQ(db.TestRelations(0), region);
    EXPECT_FALSE(db.TestRelations(1));
  }

  // The saved query's fields come from Persons, so they follow its relations.
  variable->dbName = stats;
  db.SelectView(9);
  EXPECT_EQ(db.makeFelter().Item(2).felt.sourceTable, "Persons");
  db.PrepareRelations(*variable);
  EXPECT_TRUE(db.TestRelations(1));
}

TEST_F(Stats, ValuesNullsCaseFreeTextSavedQueriesAndCodeLists) {
  ASSERT_TRUE(db.OpenRecordSet("SELECT Code, Name FROM [Municipalities]"));
  db.MoveNext();
  EXPECT_EQ(db.RecordCount(), 4);  // and back at the first record
  EXPECT_EQ(db.Field(0).integer, 114);
  const std::pair<const char*, Rows> cases[] = {
      {"SELECT * FROM PersonsDirty",
       {"01|1|2021|10.5", "99|1|2021|11.5", "'Null'|2|2022|12.5", "03|3|2023|13.5",
        "03|2|2023|'Null'"}},
      // Text compares without case, Ö and ö alike.
      {"SELECT Code FROM Regions WHERE Name = \"ÖSTERGÖTLAND\" OR Name = 'uppsala' ORDER BY Code",
       {"03", "05"}},
      // A Null group stays Null; a Null amount adds nothing.
      {"SELECT Region, SUM(Income), COUNT(*) FROM PersonsDirty GROUP BY Region ORDER BY Region",
       {"'Null'|12.5|1", "01|10.5|1", "03|13.5|2", "99|11.5|1"}},
  };
  for (const auto& [sql, rows] : cases) EXPECT_EQ(run(sql), rows) << sql;

  // Saved queries run as views (84 persons of 2022 and 2023), and only reading statements run.
  EXPECT_EQ(run("SELECT COUNT(*), MIN(Year) FROM [PersonsSince2022]"), Rows{"84|2022"});
  // Double-quoted literals and a three-table join; the tables are empty.
  EXPECT_EQ(run("SELECT * FROM SelectQuery"), Rows{});
  EXPECT_FALSE(db.OpenRecordSet("SELECT * FROM UpdateQuery"));  // not a select query

  // Code lists read again replace the values.
  EXPECT_EQ(codeListQuery("Regions", "Code", "Name"), "SELECT [Code],[Name] from [Regions]");
  EXPECT_EQ(codeListQuery("a]b", "", "x]"), "SELECT  1,[x]]] from [a]]b]");  // no codes
  selectTable("Regions");
  const auto variable = DimensionData::create("Län");
  ASSERT_TRUE(readCodeList(db, 0, 1, *variable));
  ASSERT_TRUE(readCodeList(db, 0, 1, *variable));
  ASSERT_EQ(variable->ValueCode.Count(), 4);
  EXPECT_EQ(variable->ValueCode.Item(4)->code + "|" + variable->ValueCode.Item(4)->value,
            "05|Östergötland");
  ASSERT_TRUE(readCodeList(db, -1, 0, *variable));
  EXPECT_EQ(variable->ValueCode.Item(1)->code + "|" + variable->ValueCode.Item(1)->value, "|01");
}

TEST(MdbDatabase, NoAccessFilesAndFailingReadersAreRefusedAndReplacedFilesReopened) {
  // Damage past the header is the damaged file tests' matter.
  TempFolder folder;
  std::string headerless = TempFolder::read(fixture("stats.mdb"));
  for (std::size_t i = 0; i < 4096; ++i) headerless[i] = static_cast<char>(i * 13);
  const std::pair<const char*, std::string> files[] = {
      {"text.mdb", "This is a text file, not a database.\n"},
      {"empty.mdb", ""},
      {"headerless.mdb", headerless}};
  for (const auto& [name, bytes] : files) {
    clsMDB db;
    db.setDbName(folder.write(name, bytes).string());
    EXPECT_FALSE(db.OpenDB().error.empty()) << name;
  }

  // A file replaced on disk is opened again.
  const std::string path = folder.file("live.mdb");
  fs::copy_file(fixture("stats.mdb"), path);
  clsMDB db;
  db.setDbName(path);
  ASSERT_TRUE(db.OpenDB());
  db.SelectTable(db.ListBoxTables().front().itemData);

  fs::copy_file(fixture("systemonly.mdb"), folder.file("next.mdb"));
  fs::rename(folder.file("next.mdb"), path);
  EXPECT_TRUE(db.fileChanged());
  EXPECT_TRUE(db.ListBoxFields().empty());
  EXPECT_FALSE(db.OpenRecordSet("SELECT COUNT(*) FROM Regions"));  // not the old copy
  fs::remove(path);
  EXPECT_FALSE(db.OpenRecordSet("SELECT 1"));
  fs::copy_file(fixture("stats.mdb"), path);
  ASSERT_TRUE(db.OpenRecordSet("SELECT COUNT(*) FROM Sexes"));
  EXPECT_EQ(rowsOf(db), Rows{"2"});

  // A reader that fails makes the file unreadable.
  const std::string damaged = "The file is damaged: its contents cannot be read";
  // The script, and the error: all of the message, or a part after a "~".
  for (const auto& [script, error] :
       {std::pair<std::string, std::string>{"kill -SEGV $$", "~signal 11"},
        {"echo first >&2; echo 'Bad page' >&2; exit 3", "Bad page"},
        {"printf 'garbage of some length'", damaged},
        {"printf '\\006\\0\\0\\0ZMDB1\\nT\\011\\0\\0'", damaged},  // stops in a record
        {"exec /nonexistent/zendra-mdb", "~/nonexistent/zendra-mdb"},
        {"", "Cannot start the Access reader /nonexistent/zendra-mdb"}}) {  // none
    SCOPED_TRACE(script);
    const auto reader = folder.write("reader", "#!/bin/sh\n" + script + "\n");
    fs::permissions(reader, fs::perms::owner_all);
    const test::ScopedEnv env("ZENDRA_MDB_READER",
                              script.empty() ? "/nonexistent/zendra-mdb" : reader.string());
    clsMDB db;
    db.setDbName(fixture("stats.mdb"));
    const DbResult result = db.OpenDB();
    EXPECT_FALSE(db.isOpen());
    EXPECT_TRUE(error[0] == '~' ? result.error.find(error.substr(1)) != std::string::npos
                                : result.error == error)
        << result.error;
  }
}

TEST(MdbDatabase, BigTablesReportProgressAndCancel) {
  clsMDB db;
  db.setDbName(fixture("facts100k.mdb"));
  ASSERT_TRUE(db.OpenDB());
  ScriptedPrompt cancelling, watching;
  cancelling.cancel();
  db.setPrompt(&cancelling);
  EXPECT_TRUE(db.OpenRecordSet(CountSql(db, {"Region"}, "Facts")).cancelled);
  EXPECT_TRUE(db.OpenRecordSet("SELECT COUNT(*) FROM Facts").cancelled);

  db.setPrompt(&watching);
  ASSERT_TRUE(db.OpenRecordSet(
      "SELECT COUNT(*), SUM(Amount) FROM (SELECT Region, Sex, Year, COUNT(*) AS n, SUM(Amount) "
      "AS Amount FROM Facts GROUP BY Region, Sex, Year)"));
  DbValue sum;
  sum.kind = DbValue::Kind::Real;
  for (int i = 0; i < 100000; ++i) sum.real += (i % 997) + 0.5;
  EXPECT_EQ(rowsOf(db), Rows{"2000|" + dbValueText(sum)});
  EXPECT_GT(watching.progressReports, 1);
  EXPECT_EQ(watching.lastProgress, 100000);
}

// A clsMDB whose direct answers a test can ask for.
struct Direct : clsMDB {
  using clsMDB::answerDirectly;
  using SqlDatabase::DirectResult;
};

// What a statement gives: each column's type, each value with its kind, the warnings read;
// or the failure.
std::string outcome(const std::string& file, const std::string& sql) {
  clsMDB db;
  db.setDbName(file);
  if (const DbResult opened = db.OpenDB(); !opened) return "not opened: " + opened.error;
  std::string out;
  if (const DbResult ran = db.OpenRecordSet(sql); !ran) return "failed: " + ran.error;
  for (std::int32_t c = 0; c < db.FieldCount(); ++c) out += db.FieldType(c) + " ";
  for (db.MoveFirst(); !db.AtEOF(); db.MoveNext()) {
    out += "\n";
    for (std::int32_t c = 0; c < db.FieldCount(); ++c) {
      const DbValue value = db.Field(c);
      out += std::to_string(static_cast<int>(value.kind)) + ":" + dbValueText(value) + " ";
    }
  }
  return out + "\n" + DamageReport(db.ReadWarnings());
}

TEST(MdbDatabase, GeneratedCountsAndSumsGroupAsRowsArriveExactlyAsSqliteGroupsTheCopy) {
  TempFolder folder;
  const std::string facts = TempFolder::read(fixture("facts100k.mdb"));
  // Regions spelled "R", "r", "Ŕ" and "ŕ" (UTF-16 in the file): each group keeps its first
  // spelling, "Ŕ" and "ŕ" meet as "R" and "r" do.
  std::string mixed = facts;
  int seen = 0;
  for (std::size_t at = 0; (at = mixed.find(std::string("R\0", 2), at)) != std::string::npos;
       ++at) {
    if (at + 7 >= mixed.size() || !std::isdigit(static_cast<unsigned char>(mixed[at + 2])) ||
        mixed[at + 3] != '\0') {
      continue;
    }
    if (++seen % 3 == 0) mixed[at] = 'r';
    if (seen % 3 != 0 && seen % 7 < 2) mixed.replace(at, 2, seen % 7 ? "\x54\x01" : "\x55\x01", 2);
  }
  const std::string stats = fixture("stats.mdb");
  const std::string files[] = {fixture("facts100k.mdb"), folder.write("mixed.mdb", mixed),
                               folder.write("cut.mdb", facts.substr(0, facts.size() / 2))};
  const struct {
    std::string file;
    std::vector<std::string> fields;
    std::string summed, source;
  } cases[] = {
      {stats, {"Region", "Sex", "Year"}, "", "Persons"},
      {stats, {"Region", "Sex", "Year"}, "Income", "Persons"},
      {stats, {"Region", "Sex"}, "", "PersonsDirty"},         // Null keys
      {stats, {"Year", "Region"}, "Income", "PersonsDirty"},  // a Null value
      {stats, {"Code"}, "", "Municipalities"},                // integer keys and a Null
      {stats, {"Name", "Code"}, "Code", "Municipalities"},    // integer sums, one of a Null
      {stats, {"Income", "Year"}, "Income", "PersonsDirty"},  // real keys and a Null
      {files[0], {"Region", "Sex", "Year"}, "Amount", "Facts"},
      {files[1], {"Sex", "Region"}, "Amount", "Facts"},
      {files[2], {"Region", "Sex", "Year"}, "Amount", "Facts"},
  };
  for (const auto& c : cases) {
    Direct probe;
    probe.setDbName(c.file);
    ASSERT_TRUE(probe.OpenDB());
    const std::string sql = c.summed.empty() ? CountSql(probe, c.fields, c.source)
                                             : SumSql(probe, c.fields, c.summed, c.source);
    SCOPED_TRACE(c.file + ": " + sql);
    // Answered without SQLite (here cancelled at once).
    ScriptedPrompt cancelling;
    cancelling.cancel();
    probe.setPrompt(&cancelling);
    Direct::DirectResult direct;
    const std::optional<DbResult> answered = probe.answerDirectly(sql, direct);
    EXPECT_TRUE(answered && answered->cancelled);
    // A trailing space is an edited statement: SQLite groups the copied table.
    const std::string streamed = outcome(c.file, sql);
    EXPECT_EQ(streamed, outcome(c.file, sql + " "));
    EXPECT_NE(streamed.rfind("failed: ", 0), 0u) << streamed;
  }
}

}  // namespace
}  // namespace zendra
