#include "core/database/mdb_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "core/database/access_sql.h"
#include "core/database/reader_process.h"
#include "core/model/prompt.h"

namespace zendra {

namespace {

using mdbstream::Cursor;

const char* declaredType(mdbstream::Kind kind) {
  switch (kind) {
    case mdbstream::Text:
      return "TEXT COLLATE CASEFREE";
    case mdbstream::Integer:
      return "INTEGER";
    case mdbstream::Real:
      return "REAL";
    case mdbstream::Date:
      return "DATETIME";
    case mdbstream::Boolean:
      return "BOOLEAN";
    default:
      return "BLOB";
  }
}

// Reads a 'W' record (the tag taken) into warnings; false when it is not complete yet.
bool takeWarning(Cursor& cursor, std::vector<ReadWarning>& warnings) {
  ReadWarning warning;
  warning.source = cursor.text();
  warning.count = cursor.u32();
  const std::string_view lines = cursor.text();
  if (!cursor.ok()) return false;
  std::size_t start = 0;
  while (start < lines.size()) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size());
    warning.lines.emplace_back(lines.substr(start, end - start));
    start = end + 1;
  }
  warnings.push_back(std::move(warning));
  return true;
}

// Checks and removes the stream's opening; false when it is not there (yet).
bool takeMagic(std::string& buffer, bool& seen, bool& bad) {
  if (seen) return true;
  Cursor cursor(buffer.data(), buffer.size());
  const std::string_view magic = cursor.text();
  if (!cursor.ok()) {
    if (buffer.size() > 64) bad = true;
    return false;
  }
  if (magic != mdbstream::kMagic) {
    bad = true;
    return false;
  }
  buffer.erase(0, static_cast<std::size_t>(cursor.position() - buffer.data()));
  seen = true;
  return true;
}

}  // namespace

ReaderLimits clsMDB::limits() const {
  if (limits_) return *limits_;
  std::error_code error;
  const auto size = std::filesystem::file_size(dbName(), error);
  return ReaderLimits::forFile(error ? 0 : size);
}

DbResult clsMDB::openEngine(Catalog& catalog) {
  kinds_.clear();
  copied_.clear();
  made_.clear();
  bool seenMagic = false, bad = false, ended = false;
  auto consume = [&](std::string& buffer) {
    if (!takeMagic(buffer, seenMagic, bad)) return !bad;
    Cursor cursor(buffer.data(), buffer.size());
    const char* done = cursor.position();
    while (!ended && cursor.left() > 0) {
      const char tag = cursor.tag();
      if (tag == 'T') {
        TableInfo table;
        table.name = cursor.text();
        const std::uint32_t flags = cursor.u32();
        table.system = (flags & 0x80000002u) != 0;
        table.rows = static_cast<std::int64_t>(cursor.u64());
        const std::uint32_t columns = cursor.u32();
        std::vector<mdbstream::Kind> kinds;
        for (std::uint32_t c = 0; c < columns && cursor.ok(); ++c) {
          table.fields.emplace_back(cursor.text());
          kinds.push_back(static_cast<mdbstream::Kind>(cursor.u8()));
        }
        if (!cursor.ok()) break;
        catalog.tables.push_back(std::move(table));
        kinds_.push_back(std::move(kinds));
      } else if (tag == 'Q') {
        QueryInfo query;
        query.name = cursor.text();
        query.kind = static_cast<std::int32_t>(cursor.u32());
        query.sql = cursor.text();
        if (!cursor.ok()) break;
        catalog.queries.push_back(std::move(query));
      } else if (tag == 'R') {
        RelationInfo relation;
        relation.primaryTable = cursor.text();
        relation.primaryField = cursor.text();
        relation.foreignTable = cursor.text();
        relation.foreignField = cursor.text();
        relation.fieldCount = static_cast<std::int32_t>(cursor.u32());
        if (!cursor.ok()) break;
        catalog.relations.push_back(std::move(relation));
      } else if (tag == 'W') {
        if (!takeWarning(cursor, warnings_)) break;
      } else if (tag == 'Z') {
        ended = true;
      } else {
        if (cursor.ok()) bad = true;  // an unknown record
        break;
      }
      done = cursor.position();
    }
    buffer.erase(0, static_cast<std::size_t>(done - buffer.data()));
    return !bad;
  };
  DbResult result = runReader({"catalog", dbName()}, limits(), prompt_, consume);
  if (!result) return result;
  if (!ended || bad) return damagedStream();
  if (sqlite3_open_v2(":memory:", &connection_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                      nullptr) != SQLITE_OK) {
    return DbResult::failure("Cannot make the in-memory database");
  }
  addCaseFreeCollation(connection_);
  return DbResult::success();
}

std::string clsMDB::QuerySql(std::int32_t position) const {
  if (position < 0 || position >= static_cast<std::int32_t>(catalog_.queries.size())) return {};
  return catalog_.queries[static_cast<std::size_t>(position)].sql;
}

void clsMDB::closeEngine() {
  SqlDatabase::closeEngine();
  kinds_.clear();
  copied_.clear();
  made_.clear();
}

std::vector<DbField> clsMDB::tableFields(std::size_t index) {
  std::vector<DbField> fields;
  const TableInfo& table = catalog_.tables[index];
  for (const std::string& name : table.fields) fields.push_back({name, table.name, name});
  return fields;
}

void clsMDB::collect(const std::vector<std::string>& names, std::vector<std::size_t>& tables,
                     std::vector<std::size_t>& views, std::set<std::size_t>& visiting) {
  for (const std::string& name : names) {
    if (const std::int32_t t = tableIndex(name); t >= 0) {
      const auto index = static_cast<std::size_t>(t);
      if (!copied_.count(index) && std::find(tables.begin(), tables.end(), index) == tables.end()) {
        tables.push_back(index);
      }
      continue;
    }
    const std::int32_t q = queryIndex(name);
    if (q < 0) continue;
    const auto index = static_cast<std::size_t>(q);
    if (made_.count(index) || visiting.count(index) ||
        std::find(views.begin(), views.end(), index) != views.end()) {
      continue;
    }
    visiting.insert(index);
    collect(translateAccessSql(catalog_.queries[index].sql).names, tables, views, visiting);
    visiting.erase(index);
    views.push_back(index);
  }
}

DbResult clsMDB::provide(const std::vector<std::string>& names) {
  std::vector<std::size_t> tables, views;
  std::set<std::size_t> visiting;
  collect(names, tables, views, visiting);
  if (!tables.empty()) {
    if (DbResult r = copyTables(tables); !r) return r;
  }
  for (const std::size_t index : views) {
    const QueryInfo& query = catalog_.queries[index];
    // A query whose statement SQLite cannot take stays missing: the statement naming
    // it then fails with SQLite's description.
    if (query.sql.empty()) continue;
    // A stored text is the file's, not the program's: it passes the rules a typed
    // statement passes (one statement that only reads) before it becomes a view.
    const std::string sql = translateAccessSql(query.sql).sql;
    sqlite3_stmt* statement = nullptr;
    if (DbResult r = prepareReading(sql, statement); !r) {
      return DbResult::failure("The query " + query.name + " cannot run: " + r.error);
    }
    sqlite3_finalize(statement);
    execute("CREATE VIEW " + quotedName(query.name) + " AS " + sql);
    made_.insert(index);
  }
  return DbResult::success();
}

DbResult clsMDB::copyTables(const std::vector<std::size_t>& tables) {
  std::vector<std::string> args{"tables", dbName()};
  std::int64_t total = 0;
  for (const std::size_t index : tables) {
    args.push_back(catalog_.tables[index].name);
    total += catalog_.tables[index].rows;
  }
  execute("BEGIN");
  sqlite3_stmt* insert = nullptr;
  std::int32_t current = -1;  // the table whose rows come
  std::vector<mdbstream::Kind> kinds;
  std::int64_t copied = 0;
  bool seenMagic = false, bad = false, ended = false;
  std::set<std::size_t> done;
  internal_ = true;

  auto consume = [&](std::string& buffer) {
    if (!takeMagic(buffer, seenMagic, bad)) return !bad;
    Cursor cursor(buffer.data(), buffer.size());
    const char* consumed = cursor.position();
    while (!ended && cursor.left() > 0) {
      const char tag = cursor.tag();
      if (tag == 'r') {
        if (!insert) {
          bad = true;
          break;
        }
        for (std::size_t c = 0; c < kinds.size() && cursor.ok(); ++c) {
          const int slot = static_cast<int>(c + 1);
          switch (cursor.u8()) {
            case mdbstream::Null:
              sqlite3_bind_null(insert, slot);
              break;
            case mdbstream::Text:
            case mdbstream::Date: {
              const std::string_view text = cursor.text();
              sqlite3_bind_text(insert, slot, text.data(), static_cast<int>(text.size()),
                                SQLITE_STATIC);
              break;
            }
            case mdbstream::Integer:
              sqlite3_bind_int64(insert, slot, static_cast<sqlite3_int64>(cursor.u64()));
              break;
            case mdbstream::Boolean:
              sqlite3_bind_int(insert, slot, cursor.u8() != 0);
              break;
            case mdbstream::Real:
              sqlite3_bind_double(insert, slot, cursor.f64());
              break;
            default:
              if (cursor.ok()) bad = true;
          }
        }
        if (bad || !cursor.ok()) break;
        if (sqlite3_step(insert) != SQLITE_DONE) bad = true;
        sqlite3_reset(insert);
        if (bad) break;
        if (++copied % 16384 == 0 && prompt_) prompt_->progress(copied, total);
      } else if (tag == 'H') {
        const std::string name(cursor.text());
        const std::uint32_t columns = cursor.u32();
        kinds.clear();
        for (std::uint32_t c = 0; c < columns && cursor.ok(); ++c) {
          kinds.push_back(static_cast<mdbstream::Kind>(cursor.u8()));
        }
        if (!cursor.ok()) break;
        current = tableIndex(name);
        if (current < 0 || kinds.size() != catalog_.tables[current].fields.size()) {
          bad = true;
          break;
        }
        const TableInfo& table = catalog_.tables[static_cast<std::size_t>(current)];
        std::string create = "CREATE TABLE " + quotedName(table.name) + " (";
        std::string values;
        for (std::size_t c = 0; c < kinds.size(); ++c) {
          create += (c ? ", " : "") + quotedName(table.fields[c]) + " " + declaredType(kinds[c]);
          values += c ? ", ?" : "?";
        }
        if (!execute(create + ")") ||
            sqlite3_prepare_v2(
                connection_,
                ("INSERT INTO " + quotedName(table.name) + " VALUES (" + values + ")").c_str(), -1,
                &insert, nullptr) != SQLITE_OK) {
          bad = true;
          break;
        }
      } else if (tag == 'z') {
        cursor.u64();
        if (!cursor.ok()) break;
        sqlite3_finalize(insert);
        insert = nullptr;
        if (current >= 0) done.insert(static_cast<std::size_t>(current));
        current = -1;
      } else if (tag == 'W') {
        if (!takeWarning(cursor, warnings_)) break;
      } else if (tag == 'Z') {
        ended = true;
      } else {
        if (cursor.ok()) bad = true;
        break;
      }
      consumed = cursor.position();
    }
    if (!cursor.ok() && insert) sqlite3_reset(insert);  // an incomplete row waits for more
    buffer.erase(0, static_cast<std::size_t>(consumed - buffer.data()));
    return !bad;
  };
  DbResult result = runReader(args, limits(), prompt_, consume);
  sqlite3_finalize(insert);
  if (result && (bad || !ended || done.size() != tables.size())) result = damagedStream();
  execute(result ? "COMMIT" : "ROLLBACK");
  internal_ = false;
  if (result) copied_.insert(done.begin(), done.end());
  if (prompt_ && result) prompt_->progress(total, total);
  return result;
}

}  // namespace zendra
