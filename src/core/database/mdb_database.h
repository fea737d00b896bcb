#pragma once

#include <functional>
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
// become views over them. The table wizard's counts and sums of a table are grouped as
// its rows arrive instead (see answerDirectly).
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
  // The statements CountSql and SumSql write for a table whose fields all hold values the
  // grouping below takes (texts, numbers, dates, booleans) are grouped as the reader's rows
  // arrive, without copying the table into SQLite: the groups, their first spelling of each
  // text, their order, counts and sums (added in the rows' order, integers as integers) are
  // what SQLite's GROUP BY on the copy gives. Everything else runs in SQLite.
  std::optional<DbResult> answerDirectly(const std::string& sql, DirectResult& out) override;

 private:
  // Adds to tables and views (in the order they must be made) what names need.
  void collect(const std::vector<std::string>& names, std::vector<std::size_t>& tables,
               std::vector<std::size_t>& views, std::set<std::size_t>& visiting);
  DbResult copyTables(const std::vector<std::size_t>& tables);
  // Where streamed tables go: each table's column kinds, its rows, its end. A false from
  // header or row takes the stream for damaged.
  struct RowSink {
    std::function<bool(std::size_t table, const std::vector<mdbstream::Kind>& kinds)> header;
    std::function<bool(std::vector<mdbstream::Value>& row)> row;
    std::function<void(std::size_t table)> end;
  };
  // Runs the reader on the tables (catalog indexes) and hands their rows to sink, with
  // progress, cancelling and the reader's warnings.
  DbResult streamTables(const std::vector<std::size_t>& tables, const RowSink& sink);

  std::vector<std::vector<mdbstream::Kind>> kinds_;  // the column kinds of each table
  std::set<std::size_t> copied_;                     // tables in the SQLite database
  std::set<std::size_t> made_;                       // queries made into views
  std::optional<ReaderLimits> limits_;
};

}  // namespace zendra
