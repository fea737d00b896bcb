// Server databases through ODBC, on real servers: a PostgreSQL server and a SQLite file that
// the odbc_servers fixture starts and loads with the rows of the test Access files, read
// through the psqlODBC and SQLite ODBC drivers. Every count and sum is compared with what the
// Access file gives; statements that would change the server are refused.
#include "core/database/odbc_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <sstream>

#include "core/cli/commands.h"
#include "core/database/code_list.h"
#include "core/database/read_only_sql.h"
#include "core/database/table_from_database.h"
#include "core/model/dimension_data.h"
#include "core/model/prompt.h"
#include "support/database_rows.h"
#include "support/odbc_servers.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace zendra {
namespace {

using namespace cli;
using test::odbcServer;
using test::rowsOf;
using Texts = std::vector<std::string>;

const std::string kDatabases = ZENDRA_DATABASES;

std::unique_ptr<clsAnyDatabase> opened(const std::string& name) {
  auto db = makeDatabase(databaseKindOf(name));
  db->setDbName(name);
  const DbResult result = db->OpenDB();
  EXPECT_TRUE(result) << name << ": " << result.error;
  return db;
}

std::unique_ptr<clsAnyDatabase> server(const std::string& key) {
  return opened(kOdbcPrefix + odbcServer(key));
}

Texts sortedRows(clsAnyDatabase& db, const std::string& sql) {
  const DbResult result = db.OpenRecordSet(sql);
  EXPECT_TRUE(result) << sql << ": " << result.error;
  Texts rows = rowsOf(db);
  EXPECT_EQ(db.RecordsetError(), "");
  db.CloseRecordSet();
  std::sort(rows.begin(), rows.end());
  return rows;
}

TEST(ReadOnlyStatement, OnlyOneSelectPassesWhateverAQuoteOrCommentHides) {
  const std::pair<const char*, const char*> cases[] = {
      {"select \"a\", count(*) from \"t\" group by \"a\";  ", ""},
      {"SELECT 'it''s; DELETE', [x;y], `z` FROM t -- ; DROP\n", ""},
      {"SELECT 'a\\b' /* ; */", ""},
      {"  ", "The statement is empty"},
      {"-- only a comment", "The statement is empty"},
      {"DELETE FROM t", "Only a statement that reads rows can run"},
      {"WITH x AS (DELETE FROM t RETURNING *) SELECT * FROM x",
       "Only a statement that reads rows can run"},
      {"SELECT 1; DELETE FROM t", "Only one statement can run at a time"},
      {"SELECT 1 DELETE FROM t", "DELETE is refused"},  // a batch without ";"
      {"SELECT * INTO copy FROM t", "INTO is refused"},
      {"SELECT 1 FROM t FOR UPDATE", "UPDATE is refused"},
      // Read as PostgreSQL: the E-string ends at the last quote but one.
      {"SELECT E'\\''; DELETE FROM t; --'", "Only one statement can run at a time"},
      // Read as PostgreSQL: a dollar-quoted quote, then a second statement.
      {"SELECT $$'$$; DROP TABLE t; --'", "Only one statement can run at a time"},
      // Read as standard SQL: the backslash is a character and the literal ends there.
      {"SELECT '\\' DELETE FROM t --'", "DELETE is refused"},
      // MySQL runs what a /*! comment holds.
      {"SELECT 1 /*! ; DROP TABLE t */", "Only one statement can run at a time"},
      {"SELECT 1 /* /* */ ; DROP TABLE t */", "Only one statement can run at a time"},
  };
  for (const auto& [sql, says] : cases) {
    const std::string error = ReadOnlyStatementError(sql);
    if (std::string(says).empty()) {
      EXPECT_EQ(error, "") << sql;
    } else {
      EXPECT_NE(error.find(says), std::string::npos) << sql << " -> " << error;
    }
  }
}

TEST(OdbcConnectionText, ThePasswordIsKeptApartFromWhatIsShown) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"DSN=a;UID=u;PWD=secret", "DSN=a;UID=u", "secret"},
      {"Driver={x; y};pwd={se;}}cret};Server=h", "Driver={x; y};Server=h", "se;}cret"},
      {" Password =p;DSN=a;", "DSN=a", "p"},
      {"DSN=a", "DSN=a", ""},
  };
  for (const auto& [text, shown, password] : cases) {
    const odbc::ConnectionText split = odbc::splitPassword(text);
    EXPECT_EQ(split.shown, shown) << text;
    EXPECT_EQ(split.password, password) << text;
    EXPECT_EQ(odbc::splitPassword(odbc::withPassword(split.shown, split.password)).password,
              password);
  }
}

// Every count and sum the wizard's statements give, on both servers and the Access file.
TEST(OdbcDatabase, CountsAndSumsEqualTheAccessFilesOnBothServers) {
  struct Case {
    const char* file;
    const char* source;
    Texts fields;
    const char* sum;  // empty: count
  };
  const Texts persons{"Region", "Sex", "Year"};
  const Case cases[] = {
      {"stats.mdb", "Persons", persons, ""},
      {"stats.mdb", "Persons", persons, "Income"},
      {"stats.mdb", "PersonsDirty", persons, "Income"},  // Nulls among codes and values
      {"stats.mdb", "PersonsSince2022", persons, ""},    // a query: a view on the servers
      {"stats.mdb", "Municipalities", {"Code"}, ""},     // integer codes and a Null
      {"facts100k.mdb", "Facts", persons, ""},
      {"facts100k.mdb", "Facts", persons, "Amount"},
  };
  for (const char* key : {"POSTGRESQL", "SQLITE"}) {
    auto db = server(key);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(key) + " " + c.source + " " + c.sum);
      auto access = opened(kDatabases + "/" + c.file);
      auto sql = [&](clsAnyDatabase& d) {
        return *c.sum ? SumSql(d, c.fields, c.sum, c.source) : CountSql(d, c.fields, c.source);
      };
      const Texts expected = sortedRows(*access, sql(*access));
      ASSERT_FALSE(expected.empty());
      EXPECT_EQ(sql(*db).find('['), std::string::npos) << sql(*db);
      EXPECT_EQ(sortedRows(*db, sql(*db)), expected);
    }
  }
}

TEST(OdbcDatabase, CatalogFieldsCodeListsRelationsAndSchemas) {
  for (const char* key : {"POSTGRESQL", "SQLITE"}) {
    SCOPED_TRACE(key);
    auto db = server(key);
    const auto tables = db->ListBoxTables();
    const auto persons = std::find_if(tables.begin(), tables.end(),
                                      [](const ListEntry& e) { return e.text == "Persons"; });
    ASSERT_NE(persons, tables.end());
    EXPECT_EQ(db->ListBoxViews(), (std::vector<ListEntry>{{"PersonsSince2022", 0}}));
    db->SelectTable(persons->itemData);
    EXPECT_EQ(db->TableName(), "Persons");
    Texts names;
    for (const ListEntry& f : db->ListBoxFields()) names.push_back(f.text);
    EXPECT_EQ(names, (Texts{"Region", "Sex", "Year", "Income"}));
    ASSERT_TRUE(db->OpenRecordSet("SELECT * FROM " + db->SelectTableName() + " WHERE 1 = 0"));
    EXPECT_EQ(db->FieldType(0) + " " + db->FieldType(3), "text real");
    db->CloseRecordSet();

    // A code list: each pair once, in code order, every letter kept.
    const auto regions = std::find_if(tables.begin(), tables.end(),
                                      [](const ListEntry& e) { return e.text == "Regions"; });
    db->SelectTable(regions->itemData);
    DimensionData variable;
    ASSERT_TRUE(readCodeList(*db, 0, 1, variable));
    Texts values;
    for (const auto& v : variable.ValueCode) values.push_back(v->code + " " + v->value);
    EXPECT_EQ(values, (Texts{"01 Stockholm", "03 Uppsala", "04 Södermanland", "05 Östergötland"}));
  }

  // Relations from the server's foreign keys: Persons.Region refers to Regions.Code.
  auto db = server("POSTGRESQL");
  DimensionData regions;
  regions.dbName = db->dbName();
  regions.TableName = "Regions";
  regions.CodeField = "Code";
  db->PrepareRelations(regions);
  for (const ListEntry& table : db->ListBoxTables()) {
    if (table.text == "Persons") db->SelectTable(table.itemData);
  }
  EXPECT_TRUE(db->TestRelations(0));
  EXPECT_FALSE(db->TestRelations(1));

  // Tables in two schemas show their schema, and each is read from its own.
  auto schemas = server("POSTGRESQL_SCHEMAS");
  Texts shown;
  for (const ListEntry& table : schemas->ListBoxTables()) shown.push_back(table.text);
  EXPECT_EQ(shown, (Texts{"archive.Persons", "public.Persons"}));
  EXPECT_EQ(sortedRows(*schemas, CountSql(*schemas, {"Region"}, "archive.Persons")),
            (Texts{"01|1"}));
  EXPECT_EQ(sortedRows(*schemas, CountSql(*schemas, {"Region"}, "public.Persons")),
            (Texts{"01|2", "03|1"}));
}

TEST(OdbcDatabase, NoStatementChangesTheServer) {
  const Texts everywhere{"DELETE FROM \"Persons\"", "DROP TABLE \"Persons\"",
                         "SELECT 1; DELETE FROM \"Persons\"",
                         "SELECT * INTO \"Copy\" FROM \"Persons\""};
  const Texts postgresql{"SELECT forget_persons()", "SELECT nextval('counter')",
                         "SELECT set_config('transaction_read_only', 'off', true)"};
  for (const char* key : {"POSTGRESQL", "SQLITE"}) {
    SCOPED_TRACE(key);
    auto db = server(key);
    Texts statements = everywhere;
    if (std::string(key) == "POSTGRESQL") {
      statements.insert(statements.end(), postgresql.begin(), postgresql.end());
    }
    for (const std::string& sql : statements) {
      const DbResult result = db->OpenRecordSet(sql);
      EXPECT_FALSE(result) << sql;
      EXPECT_FALSE(result.error.empty()) << sql;
    }
    db->CloseDB();
    EXPECT_EQ(sortedRows(*server(key), "SELECT count(*) FROM \"Persons\""), Texts{"114"});
  }
}

// Cancels once asked a while after the statement started.
class LateCancel : public Prompt {
 public:
  Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::Ok; }
  bool cancelled() const override {
    return std::chrono::steady_clock::now() - start_ > std::chrono::milliseconds(300);
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

TEST(OdbcDatabase, CancelStopsWhatTheServerIsRunning) {
  auto db = server("POSTGRESQL");
  LateCancel prompt;
  db->setPrompt(&prompt);
  const auto start = std::chrono::steady_clock::now();
  const DbResult result = db->OpenRecordSet("SELECT pg_sleep(60)");
  EXPECT_TRUE(result.cancelled) << result.error;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  db->setPrompt(nullptr);
  EXPECT_EQ(sortedRows(*db, "SELECT count(*) FROM \"Persons\""), Texts{"114"});
}

TEST(OdbcDatabase, PasswordsNeverShowAndDataSourcesComeFromTheUsersConfiguration) {
  test::TempFolder home;
  const std::string password = odbcServer("POSTGRESQL_PASSWORD");
  auto db = server("POSTGRESQL");
  EXPECT_EQ(db->dbName().find(password), std::string::npos);
  EXPECT_EQ(db->DBFile().find(password), std::string::npos);

  clsODBC wrong;
  std::string text = odbcServer("POSTGRESQL");
  wrong.setDbName(kOdbcPrefix + odbc::splitPassword(text).shown + ";Pwd=not-" + password);
  const DbResult refused = wrong.OpenDB();
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.error.find("password authentication failed"), std::string::npos);
  EXPECT_EQ(refused.error.find("not-" + password), std::string::npos);

  // A data source the user configured, with its own password (ODBCINI names the user's file).
  const test::ScopedEnv ini("ODBCINI", home.file("odbc.ini"));
  home.write("odbc.ini",
             "[ZendraTest]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\n"
             "Port=" +
                 odbcServer("POSTGRESQL_PORT") +
                 "\nDatabase=zendra\nUsername=zendra\nPassword=" + password + "\n");
  const auto sources = odbc::dataSources();
  EXPECT_NE(std::find_if(sources.begin(), sources.end(),
                         [](const odbc::DataSource& s) { return s.name == "ZendraTest"; }),
            sources.end());
  auto named = opened("odbc:ZendraTest");
  EXPECT_EQ(named->dbName() + " " + named->DBFile(), "odbc:DSN=ZendraTest ZendraTest");
  EXPECT_EQ(db->DBFile(), "zendra on 127.0.0.1");
  EXPECT_EQ(sortedRows(*named, "SELECT count(*) FROM \"Persons\""), Texts{"114"});
}

TEST(OdbcCli, DbImportFromAServerWritesWhatTheAccessFileGives) {
  test::TempFolder dir;
  const std::string table =
      dir.write(
             "persons.vq",
             "MATRIX=\"P\";DECIMALS=2;SUBJECT-AREA=\"A\";SUBJECT-CODE=\"S\";CONTENTS=\"C\";UNITS="
             "\"u\";"
             "STUB=\"Region\",\"Sex\";HEADING=\"Year\";VALUES(\"Region\")=\"a\",\"b\",\"c\",\"d\";"
             "CODES(\"Region\")=\"01\",\"03\",\"04\",\"05\";VALUES(\"Sex\")=\"m\",\"w\";"
             "CODES(\"Sex\")=\"1\",\"2\";VALUES(\"Year\")=\"2021\",\"2022\",\"2023\";DATA=\n;")
          .string();
  const DbImportOptions options{"Persons", {"Region", "Sex", "Year"}, "Income", std::nullopt};
  std::ostringstream err;
  ASSERT_EQ(runDbImport(table, kDatabases + "/stats.mdb", dir.file("access.vq"), options, err),
            kOk);
  for (const char* key : {"POSTGRESQL", "SQLITE"}) {
    std::ostringstream says;
    EXPECT_EQ(
        runDbImport(table, kOdbcPrefix + odbcServer(key), dir.file("server.vq"), options, says),
        kOk)
        << says.str();
    EXPECT_NE(says.str().find("sum(\"Income\")"), std::string::npos) << says.str();
    EXPECT_EQ(test::TempFolder::read(dir.file("server.vq")),
              test::TempFolder::read(dir.file("access.vq")));
  }
  // A server that refuses the login: the driver's records, exit 2, no password shown.
  std::ostringstream says, out;
  const std::string bad = kOdbcPrefix + odbc::splitPassword(odbcServer("POSTGRESQL")).shown +
                          ";Database=nowhere;Pwd=hidden-word";
  EXPECT_EQ(runDbInfo(bad, false, out, says), kCannotRead);
  EXPECT_NE(says.str().find("[08001]"), std::string::npos) << says.str();
  EXPECT_EQ(says.str().find("hidden-word"), std::string::npos);
  EXPECT_EQ(runDbInfo(kOdbcPrefix + odbcServer("SQLITE"), false, out, says), kOk);
  EXPECT_NE(out.str().find("\"kind\": \"odbc\""), std::string::npos);
}

}  // namespace
}  // namespace zendra
