#include "core/database/sqlite_database.h"

#include <sqlite3.h>

#include <cctype>
#include <map>

namespace zendra {

namespace {

std::string columnText(sqlite3_stmt* statement, int column) {
  const auto* text = sqlite3_column_text(statement, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

// Rows of an internal query as texts.
std::vector<std::vector<std::string>> rowsOf(sqlite3* connection, const std::string& sql,
                                             std::string* error = nullptr) {
  std::vector<std::vector<std::string>> rows;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    if (error) *error = sqlite3_errmsg(connection);
    return rows;
  }
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      row.push_back(sqlite3_column_type(statement, c) == SQLITE_NULL ? std::string{}
                                                                     : columnText(statement, c));
    }
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE && error) *error = sqlite3_errmsg(connection);
  sqlite3_finalize(statement);
  return rows;
}

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

}  // namespace

DbResult clsSQLiteDb::openEngine(Catalog& catalog) {
  if (sqlite3_open_v2(dbName().c_str(), &connection_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    const std::string error = connection_ ? sqlite3_errmsg(connection_) : "out of memory";
    return DbResult::failure(error);
  }
  std::string error;
  const auto objects = rowsOf(connection_,
                              "SELECT type, name FROM sqlite_master WHERE type IN ('table', "
                              "'view') ORDER BY rowid",
                              &error);
  if (!error.empty()) return DbResult::failure(error);
  for (const auto& object : objects) {
    if (object[0] == "view") {
      catalog.queries.push_back({object[1], 0, {}});
      continue;
    }
    TableInfo table;
    table.name = object[1];
    table.system = object[1].rfind("sqlite_", 0) == 0;
    catalog.tables.push_back(std::move(table));
  }
  for (const TableInfo& table : catalog.tables) {
    if (table.system) continue;
    // id, seq, table, from, to: one row per field of each foreign key.
    const auto keys = rowsOf(connection_,
                             "SELECT id, \"table\", \"from\", \"to\" FROM "
                             "pragma_foreign_key_list(" +
                                 quoted(table.name) + ")");
    std::map<std::string, int> fieldsPerKey;
    for (const auto& key : keys) ++fieldsPerKey[key[0]];
    for (const auto& key : keys) {
      std::string primaryField = key[3];
      if (primaryField.empty()) {
        // The key refers to the primary key of its table.
        const auto pk = rowsOf(
            connection_, "SELECT name FROM pragma_table_info(" + quoted(key[1]) + ") WHERE pk = 1");
        if (!pk.empty()) primaryField = pk[0][0];
      }
      catalog.relations.push_back({key[1], primaryField, table.name, key[2], fieldsPerKey[key[0]]});
    }
  }
  addCaseFreeCollation(connection_);
  for (const TableInfo& table : catalog.tables) {
    if (table.system) continue;
    std::string columns;
    for (const auto& column : rowsOf(connection_, "SELECT name, type FROM pragma_table_xinfo(" +
                                                      quoted(table.name) + ") WHERE hidden <> 1")) {
      // Every column the table lists, generated ones included (table_info leaves them
      // out). Text affinity: a declared type naming CHAR, CLOB or TEXT.
      std::string type = column[1];
      for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const bool text = type.find("CHAR") != std::string::npos ||
                        type.find("CLOB") != std::string::npos ||
                        type.find("TEXT") != std::string::npos;
      columns += (columns.empty() ? "" : ", ") + quotedName(column[0]) +
                 (text ? std::string(" COLLATE ") + kCaseFreeCollation : "") + " AS " +
                 quotedName(column[0]);
    }
    if (columns.empty()) continue;
    execute("CREATE TEMP VIEW " + quotedName(table.name) + " AS SELECT " + columns + " FROM main." +
            quotedName(table.name));
  }
  return DbResult::success();
}

std::vector<DbField> clsSQLiteDb::tableFields(std::size_t index) {
  // The table itself, not its case-free view, knows where its columns come from.
  return statementFields("SELECT * FROM main." + quotedName(catalog_.tables[index].name));
}

}  // namespace zendra
