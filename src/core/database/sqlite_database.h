#pragma once

#include "core/database/sql_database.h"

namespace zendra {

// A SQLite database file, opened read-only: its tables (without SQLite's own sqlite_
// tables) and its views as the queries; relations from its single-column foreign keys.
// Statements see each table through a temporary view of the same name whose text
// columns compare without case, as in an Access file.
class clsSQLiteDb : public SqlDatabase {
 public:
  DatabaseKind Kind() const override { return DatabaseKind::SQLite; }

 protected:
  DbResult openEngine(Catalog& catalog) override;
  std::vector<DbField> tableFields(std::size_t index) override;
};

}  // namespace zendra
