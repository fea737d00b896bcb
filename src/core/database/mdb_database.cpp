#include "core/database/mdb_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <unordered_map>

#include "core/database/access_sql.h"
#include "core/database/reader_process.h"
#include "core/database/table_from_database.h"
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

// The declared type SQLite gives for a copied column of a kind (its collation aside).
const char* declaredTypeName(mdbstream::Kind kind) {
  return kind == mdbstream::Text ? "TEXT" : declaredType(kind);
}

// Groups streamed rows by some of their columns, counting them or summing one column, as
// SQLite's GROUP BY does on the copied table: texts compare without case (CASEFREE), dates
// byte by byte, numbers by value; a Null is a key of its own and sorts first. A group
// keeps the values of its first row (SQLite sorts stably and keeps the first row's keys),
// and groups come out in the keys' order. A real NaN is a Null to SQLite and -0.0 comes
// back from the copy as 0.0. A sum adds in the rows' order as SQLite's sum() does: an
// integer sum unless a real was added, Null when nothing but Nulls was, and "integer
// overflow" when integers overflow.
class Grouper {
 public:
  Grouper(std::vector<std::size_t> keys, std::optional<std::size_t> summed,
          std::vector<mdbstream::Kind> kinds)
      : keys_(std::move(keys)), summed_(summed), kinds_(std::move(kinds)) {}

  bool add(std::vector<mdbstream::Value>& row);
  // The groups in order, each its keys and the count or sum; the declared types of those
  // columns.
  DbResult finish(std::vector<std::string>& declared, std::vector<std::vector<DbValue>>& rows);

 private:
  struct Group {
    std::vector<DbValue> keys;
    std::int64_t rows = 0;
    std::int64_t added = 0;  // values summed (not Null)
    std::int64_t integerSum = 0;
    double realSum = 0;
    bool approximate = false;  // a real was added, or the integer sum overflowed
    bool overflow = false;
  };
  static DbValue valueOf(const mdbstream::Value& value);

  std::vector<std::size_t> keys_;
  std::optional<std::size_t> summed_;
  std::vector<mdbstream::Kind> kinds_;
  std::vector<Group> groups_;
  std::unordered_map<std::string, std::size_t> index_;
  std::string key_;
};

DbValue Grouper::valueOf(const mdbstream::Value& value) {
  DbValue out;
  switch (value.kind) {
    case mdbstream::Text:
      out.kind = DbValue::Kind::Text;
      out.text = value.text;
      break;
    case mdbstream::Date:
      out.kind = DbValue::Kind::Date;
      out.text = value.text;
      break;
    case mdbstream::Integer:
      out.kind = DbValue::Kind::Integer;
      out.integer = value.integer;
      break;
    case mdbstream::Boolean:
      out.kind = DbValue::Kind::Boolean;
      out.integer = value.integer;
      break;
    case mdbstream::Real:
      out.kind = DbValue::Kind::Real;
      out.real = value.real;
      break;
    default:
      break;
  }
  return out;
}

bool Grouper::add(std::vector<mdbstream::Value>& row) {
  key_.clear();
  for (const std::size_t c : keys_) {
    mdbstream::Value& value = row[c];
    // A value of another kind than its column's would meet SQLite's type affinity.
    if (value.kind != mdbstream::Null && value.kind != kinds_[c]) return false;
    if (value.kind == mdbstream::Real) {
      if (std::isnan(value.real)) value.kind = mdbstream::Null;
      if (value.real == 0) value.real = 0.0;
    }
    key_ += static_cast<char>(value.kind);
    switch (value.kind) {
      case mdbstream::Text: {
        const std::size_t at = key_.size();
        key_.append(4, '\0');
        appendCaseFreeKey(key_, value.text);
        const auto length = static_cast<std::uint32_t>(key_.size() - at - 4);
        std::memcpy(key_.data() + at, &length, 4);
        break;
      }
      case mdbstream::Date: {
        const auto length = static_cast<std::uint32_t>(value.text.size());
        key_.append(reinterpret_cast<const char*>(&length), 4);
        key_.append(value.text);
        break;
      }
      case mdbstream::Integer:
      case mdbstream::Boolean:
        key_.append(reinterpret_cast<const char*>(&value.integer), 8);
        break;
      case mdbstream::Real:
        key_.append(reinterpret_cast<const char*>(&value.real), 8);
        break;
      default:
        break;
    }
  }
  auto found = index_.find(key_);
  if (found == index_.end()) {
    Group group;
    for (const std::size_t c : keys_) group.keys.push_back(valueOf(row[c]));
    found = index_.emplace(key_, groups_.size()).first;
    groups_.push_back(std::move(group));
  }
  Group& group = groups_[found->second];
  ++group.rows;
  if (!summed_) return true;
  const mdbstream::Value& value = row[*summed_];
  if (value.kind != mdbstream::Null && value.kind != kinds_[*summed_]) return false;
  if (value.kind == mdbstream::Integer || value.kind == mdbstream::Boolean) {
    ++group.added;
    group.realSum += static_cast<double>(value.integer);
    if (!group.approximate &&
        __builtin_add_overflow(group.integerSum, value.integer, &group.integerSum)) {
      group.approximate = group.overflow = true;
    }
  } else if (value.kind == mdbstream::Real && !std::isnan(value.real)) {
    ++group.added;
    group.realSum += value.real == 0 ? 0.0 : value.real;
    group.approximate = true;
  }
  return true;
}

// SQLite's order of two values of one column: Null first, numbers by value, texts by the
// column's collation.
int compareKeys(const DbValue& a, const DbValue& b) {
  if (a.isNull() || b.isNull())
    return static_cast<int>(!a.isNull()) - static_cast<int>(!b.isNull());
  switch (a.kind) {
    case DbValue::Kind::Text:
      return compareCaseFree(a.text, b.text);
    case DbValue::Kind::Date: {
      const int c = a.text.compare(b.text);
      return (c > 0) - (c < 0);
    }
    case DbValue::Kind::Real:
      return (a.real > b.real) - (a.real < b.real);
    default:
      return (a.integer > b.integer) - (a.integer < b.integer);
  }
}

DbResult Grouper::finish(std::vector<std::string>& declared,
                         std::vector<std::vector<DbValue>>& rows) {
  std::vector<std::size_t> order(groups_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [this](std::size_t x, std::size_t y) {
    const Group& a = groups_[x];
    const Group& b = groups_[y];
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
      if (const int c = compareKeys(a.keys[k], b.keys[k]); c != 0) return c < 0;
    }
    return false;
  });
  declared.clear();
  for (const std::size_t c : keys_) declared.emplace_back(declaredTypeName(kinds_[c]));
  declared.emplace_back();
  rows.clear();
  rows.reserve(groups_.size());
  for (const std::size_t g : order) {
    Group& group = groups_[g];
    if (group.overflow) {
      rows.clear();
      return DbResult::failure("integer overflow");
    }
    DbValue aggregate;
    if (!summed_) {
      aggregate.kind = DbValue::Kind::Integer;
      aggregate.integer = group.rows;
    } else if (group.added > 0 && !group.approximate) {
      aggregate.kind = DbValue::Kind::Integer;
      aggregate.integer = group.integerSum;
    } else if (group.added > 0 && !std::isnan(group.realSum)) {
      aggregate.kind = DbValue::Kind::Real;
      aggregate.real = group.realSum;
    }
    std::vector<DbValue> row = std::move(group.keys);
    row.push_back(std::move(aggregate));
    rows.push_back(std::move(row));
  }
  return DbResult::success();
}

bool groupable(mdbstream::Kind kind) {
  return kind == mdbstream::Text || kind == mdbstream::Integer || kind == mdbstream::Real ||
         kind == mdbstream::Date || kind == mdbstream::Boolean;
}

}  // namespace

std::optional<DbResult> clsMDB::answerDirectly(const std::string& sql, DirectResult& out) {
  const std::optional<GeneratedGrouping> request = RecogniseGeneratedSql(*this, sql);
  if (!request) return std::nullopt;
  // The source is a table read from the file now (not one already in SQLite, which SQLite
  // groups faster), spelled as the catalog spells it; the statement names no other table
  // or query, which SQLite would read or make too (and might fail on).
  const std::int32_t t = tableIndex(request->source);
  if (t < 0 || copied_.count(static_cast<std::size_t>(t)) ||
      catalog_.tables[static_cast<std::size_t>(t)].name != request->source) {
    return std::nullopt;
  }
  for (const std::string& name : translateAccessSql(sql).names) {
    if (queryIndex(name) >= 0 || (tableIndex(name) >= 0 && tableIndex(name) != t)) {
      return std::nullopt;
    }
  }
  const TableInfo& table = catalog_.tables[static_cast<std::size_t>(t)];
  const std::vector<mdbstream::Kind>& kinds = kinds_[static_cast<std::size_t>(t)];
  // Each field is one column of the table by its exact name.
  auto column = [&](const std::string& name) -> std::optional<std::size_t> {
    if (std::count(table.fields.begin(), table.fields.end(), name) != 1) return std::nullopt;
    const auto c = static_cast<std::size_t>(
        std::find(table.fields.begin(), table.fields.end(), name) - table.fields.begin());
    if (c >= kinds.size() || !groupable(kinds[c])) return std::nullopt;
    return c;
  };
  std::vector<std::size_t> keys;
  for (const std::string& field : request->fields) {
    const std::optional<std::size_t> c = column(field);
    if (!c) return std::nullopt;
    keys.push_back(*c);
  }
  std::optional<std::size_t> summed;
  if (!request->sumField.empty()) {
    summed = column(request->sumField);
    // SQLite's sum() reads numbers out of texts and dates: those are left to it.
    if (!summed || kinds[*summed] == mdbstream::Text || kinds[*summed] == mdbstream::Date) {
      return std::nullopt;
    }
  }
  Grouper grouper(std::move(keys), summed, kinds);
  RowSink sink;
  sink.header = [&](std::size_t index, const std::vector<mdbstream::Kind>& streamed) {
    return index == static_cast<std::size_t>(t) && streamed == kinds;
  };
  sink.row = [&](std::vector<mdbstream::Value>& row) { return grouper.add(row); };
  sink.end = [](std::size_t) {};
  if (DbResult r = streamTables({static_cast<std::size_t>(t)}, sink); !r) return r;
  return grouper.finish(out.declared, out.rows);
}

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

DbResult clsMDB::streamTables(const std::vector<std::size_t>& tables, const RowSink& sink) {
  std::vector<std::string> args{"tables", dbName()};
  std::int64_t total = 0;
  for (const std::size_t index : tables) {
    args.push_back(catalog_.tables[index].name);
    total += catalog_.tables[index].rows;
  }
  std::int32_t current = -1;  // the table whose rows come
  std::vector<mdbstream::Kind> kinds;
  std::vector<mdbstream::Value> row;
  std::int64_t streamed = 0;
  bool seenMagic = false, bad = false, ended = false;
  std::set<std::size_t> done;

  auto consume = [&](std::string& buffer) {
    if (!takeMagic(buffer, seenMagic, bad)) return !bad;
    Cursor cursor(buffer.data(), buffer.size());
    const char* consumed = cursor.position();
    while (!ended && cursor.left() > 0) {
      const char tag = cursor.tag();
      if (tag == 'r') {
        if (current < 0) {
          bad = true;
          break;
        }
        for (std::size_t c = 0; c < kinds.size() && cursor.ok(); ++c) {
          mdbstream::Value& value = row[c];
          value.kind = static_cast<mdbstream::Kind>(cursor.u8());
          switch (value.kind) {
            case mdbstream::Null:
              break;
            case mdbstream::Text:
            case mdbstream::Date:
              value.text = cursor.text();
              break;
            case mdbstream::Integer:
              value.integer = static_cast<std::int64_t>(cursor.u64());
              break;
            case mdbstream::Boolean:
              value.integer = cursor.u8() != 0;
              break;
            case mdbstream::Real:
              value.real = cursor.f64();
              break;
            default:
              if (cursor.ok()) bad = true;
          }
        }
        if (bad || !cursor.ok()) break;
        if (!sink.row(row)) {
          bad = true;
          break;
        }
        if (++streamed % 16384 == 0 && prompt_) prompt_->progress(streamed, total);
      } else if (tag == 'H') {
        const std::string name(cursor.text());
        const std::uint32_t columns = cursor.u32();
        kinds.clear();
        for (std::uint32_t c = 0; c < columns && cursor.ok(); ++c) {
          kinds.push_back(static_cast<mdbstream::Kind>(cursor.u8()));
        }
        if (!cursor.ok()) break;
        current = tableIndex(name);
        if (current < 0 || kinds.size() != catalog_.tables[current].fields.size() ||
            !sink.header(static_cast<std::size_t>(current), kinds)) {
          bad = true;
          break;
        }
        row.assign(kinds.size(), mdbstream::Value{});
      } else if (tag == 'z') {
        cursor.u64();
        if (!cursor.ok()) break;
        if (current >= 0) {
          sink.end(static_cast<std::size_t>(current));
          done.insert(static_cast<std::size_t>(current));
        }
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
    buffer.erase(0, static_cast<std::size_t>(consumed - buffer.data()));
    return !bad;
  };
  DbResult result = runReader(args, limits(), prompt_, consume);
  if (result && (bad || !ended || done.size() != tables.size())) result = damagedStream();
  if (prompt_ && result) prompt_->progress(total, total);
  return result;
}

DbResult clsMDB::copyTables(const std::vector<std::size_t>& tables) {
  execute("BEGIN");
  sqlite3_stmt* insert = nullptr;
  std::set<std::size_t> done;
  internal_ = true;
  RowSink sink;
  sink.header = [&](std::size_t index, const std::vector<mdbstream::Kind>& kinds) {
    sqlite3_finalize(insert);
    insert = nullptr;
    const TableInfo& table = catalog_.tables[index];
    std::string create = "CREATE TABLE " + quotedName(table.name) + " (";
    std::string values;
    for (std::size_t c = 0; c < kinds.size(); ++c) {
      create += (c ? ", " : "") + quotedName(table.fields[c]) + " " + declaredType(kinds[c]);
      values += c ? ", ?" : "?";
    }
    return execute(create + ")") &&
           sqlite3_prepare_v2(
               connection_,
               ("INSERT INTO " + quotedName(table.name) + " VALUES (" + values + ")").c_str(), -1,
               &insert, nullptr) == SQLITE_OK;
  };
  sink.row = [&](std::vector<mdbstream::Value>& row) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      const int slot = static_cast<int>(c + 1);
      const mdbstream::Value& value = row[c];
      switch (value.kind) {
        case mdbstream::Text:
        case mdbstream::Date:
          sqlite3_bind_text(insert, slot, value.text.data(), static_cast<int>(value.text.size()),
                            SQLITE_STATIC);
          break;
        case mdbstream::Integer:
          sqlite3_bind_int64(insert, slot, static_cast<sqlite3_int64>(value.integer));
          break;
        case mdbstream::Boolean:
          sqlite3_bind_int(insert, slot, static_cast<int>(value.integer));
          break;
        case mdbstream::Real:
          sqlite3_bind_double(insert, slot, value.real);
          break;
        default:
          sqlite3_bind_null(insert, slot);
      }
    }
    const bool stepped = sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
    return stepped;
  };
  sink.end = [&](std::size_t index) {
    sqlite3_finalize(insert);
    insert = nullptr;
    done.insert(index);
  };
  DbResult result = streamTables(tables, sink);
  sqlite3_finalize(insert);
  execute(result ? "COMMIT" : "ROLLBACK");
  internal_ = false;
  if (result) copied_.insert(done.begin(), done.end());
  return result;
}

}  // namespace zendra
