#pragma once

#include "import/database/sql_database.h"

namespace zendra {

// An Access (.mdb) file. A helper process reads the file with libmdb, so that a damaged
// file cannot bring the program down; the tables a statement needs are copied into an
// in-memory SQLite database once per opening, and saved select queries become views.
class clsMDB : public SqlDatabase {
 protected:
  DbResult openEngine(Catalog& catalog) override;
};

}  // namespace zendra
