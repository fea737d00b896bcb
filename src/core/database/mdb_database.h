#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/database/mdb_stream.h"
#include "core/database/reader_process.h"
#include "core/database/sql_database.h"

namespace zendra {

// An Access (.mdb) file. A helper process (zendra-mdb) reads the file with libmdb, so
// that a damaged file cannot bring the program down; the tables a statement needs are
// copied into an in-memory SQLite database once per opening, and saved select queries
// become views over them.
class clsMDB : public SqlDatabase {
 public:
  DatabaseKind Kind() const override { return DatabaseKind::Access; }
  // The statement of the query at a 0-based position, as the file's query rows give it.
  std::string QuerySql(std::int32_t position) const;
  // Replaces the limits worked out from the file (tests make them small).
  void setLimits(const ReaderLimits& limits) { limits_ = limits; }
  ReaderLimits limits() const;

 protected:
  DbResult openEngine(Catalog& catalog) override;
  DbResult provide(const std::vector<std::string>& names) override;
  std::vector<DbField> tableFields(std::size_t index) override;
  void closeEngine() override;

 private:
  // Adds to tables and views (in the order they must be made) what names need.
  void collect(const std::vector<std::string>& names, std::vector<std::size_t>& tables,
               std::vector<std::size_t>& views, std::set<std::size_t>& visiting);
  DbResult copyTables(const std::vector<std::size_t>& tables);

  std::vector<std::vector<mdbstream::Kind>> kinds_;  // the column kinds of each table
  std::set<std::size_t> copied_;                     // tables in the SQLite database
  std::set<std::size_t> made_;                       // queries made into views
  std::optional<ReaderLimits> limits_;
};

}  // namespace zendra
