#pragma once

#include "import/database/sql_database.h"

namespace zendra {

// A SQLite database file, opened read-only: its tables (without SQLite's own sqlite_
// tables) and its views as the queries; relations from its single-column foreign keys.
class clsSQLiteDb : public SqlDatabase {
 protected:
  DbResult openEngine(Catalog& catalog) override;
};

}  // namespace zendra
