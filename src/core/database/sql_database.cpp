#include "core/database/sql_database.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/database/access_sql.h"
#include "core/model/dimension_data.h"

namespace zendra {

namespace {

// The next code point of UTF-8 text folded to lower case for the Latin letters (ASCII,
// Latin-1 and Latin Extended-A); other code points and stray bytes come back unchanged.
char32_t nextFolded(const unsigned char*& p, const unsigned char* end) {
  const unsigned char c = *p;
  if (c < 0x80) {
    ++p;
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  }
  char32_t cp = 0;
  int extra = 0;
  if ((c & 0xE0) == 0xC0) {
    cp = c & 0x1F;
    extra = 1;
  } else if ((c & 0xF0) == 0xE0) {
    cp = c & 0x0F;
    extra = 2;
  } else if ((c & 0xF8) == 0xF0) {
    cp = c & 0x07;
    extra = 3;
  } else {
    ++p;
    return 0x110000 + c;  // a stray byte sorts after every code point
  }
  if (end - p <= extra) {
    ++p;
    return 0x110000 + c;
  }
  for (int k = 1; k <= extra; ++k) {
    if ((p[k] & 0xC0) != 0x80) {
      ++p;
      return 0x110000 + c;
    }
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  p += extra + 1;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177)) return cp | 1;
  if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) return (cp & 1) ? cp + 1 : cp;
  if (cp == 0x178) return 0xFF;
  return cp;
}

int compareCaseFreeBytes(void*, int lengthA, const void* a, int lengthB, const void* b) {
  auto* p = static_cast<const unsigned char*>(a);
  auto* q = static_cast<const unsigned char*>(b);
  const unsigned char* endP = p + lengthA;
  const unsigned char* endQ = q + lengthB;
  while (p < endP && q < endQ) {
    // Fast path: equal bytes, or ASCII letters that differ only in case.
    const unsigned char x = *p, y = *q;
    if (x == y && x < 0x80) {
      ++p;
      ++q;
      continue;
    }
    if ((x | y) < 0x80) {
      const unsigned char lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
      const unsigned char ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
      if (lx != ly) return lx < ly ? -1 : 1;
      ++p;
      ++q;
      continue;
    }
    const char32_t cx = nextFolded(p, endP);
    const char32_t cy = nextFolded(q, endQ);
    if (cx != cy) return cx < cy ? -1 : 1;
  }
  if (p < endP) return 1;
  if (q < endQ) return -1;
  return 0;
}

bool sameNoCase(const std::string& a, const std::string& b) {
  return compareCaseFree(a, b) == 0;
}

std::string upper(const char* text) {
  std::string out = text ? text : "";
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

// What a declared column type holds: "boolean", "date", "integer", "text", "real" or
// "other" (SQLite's affinity rules, with Access's YESNO and the date and time types).
std::string declaredTypeName(const char* declared) {
  const std::string type = upper(declared);
  auto has = [&type](const char* part) { return type.find(part) != std::string::npos; };
  if (has("BOOL") || type == "BIT" || type == "YESNO") return "boolean";
  if (has("DATE") || has("TIME")) return "date";
  if (has("INT")) return "integer";
  if (has("CHAR") || has("CLOB") || has("TEXT")) return "text";
  if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL") ||
      has("MONEY") || has("CURRENCY")) {
    return "real";
  }
  return "other";
}

// What a column's values become: booleans and dates by their declared type, the rest as
// SQLite gives them.
DbValue::Kind kindOfDeclared(const char* declared) {
  const std::string name = declaredTypeName(declared);
  if (name == "boolean") return DbValue::Kind::Boolean;
  if (name == "date") return DbValue::Kind::Date;
  return DbValue::Kind::Text;
}

}  // namespace

int compareCaseFree(std::string_view a, std::string_view b) {
  return compareCaseFreeBytes(nullptr, static_cast<int>(a.size()), a.data(),
                              static_cast<int>(b.size()), b.data());
}

void appendCaseFreeKey(std::string& out, std::string_view text) {
  auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = p + text.size();
  while (p < end) {
    if (*p < 0x80) {
      out += static_cast<char>((*p >= 'A' && *p <= 'Z') ? *p + 32 : *p);
      ++p;
      continue;
    }
    // 0xFF never starts an ASCII code point; every folded code point is below 2^24.
    const char32_t cp = nextFolded(p, end);
    out += '\xFF';
    out += static_cast<char>((cp >> 16) & 0xFF);
    out += static_cast<char>((cp >> 8) & 0xFF);
    out += static_cast<char>(cp & 0xFF);
  }
}

std::string quotedName(const std::string& name) {
  std::string out = "\"";
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + '"';
}

int addCaseFreeCollation(sqlite3* connection) {
  return sqlite3_create_collation_v2(connection, kCaseFreeCollation, SQLITE_UTF8, nullptr,
                                     compareCaseFreeBytes, nullptr);
}

SqlDatabase::SqlDatabase() = default;

SqlDatabase::~SqlDatabase() {
  // Subclasses close what they own; the connection is closed here at the latest.
  CloseRecordSet();
  if (connection_) sqlite3_close_v2(connection_);
}

void SqlDatabase::setDbName(const std::string& fullPath) {
  dbName_ = fullPath;
  const std::size_t slash = fullPath.rfind('/');
  if (slash == std::string::npos) return;
  dbPath_ = fullPath.substr(0, slash);
  dbFile_ = fullPath.substr(slash + 1);
}

std::string SqlDatabase::TableName() const {
  if (currentTable_ < 0 || currentTable_ >= static_cast<std::int32_t>(catalog_.tables.size())) {
    return {};
  }
  return catalog_.tables[static_cast<std::size_t>(currentTable_)].name;
}

std::string SqlDatabase::ViewName() const {
  if (currentQuery_ < 0 || currentQuery_ >= static_cast<std::int32_t>(catalog_.queries.size())) {
    return {};
  }
  return catalog_.queries[static_cast<std::size_t>(currentQuery_)].name;
}

std::string SqlDatabase::Fieldname(std::int32_t position) const {
  if (position < 0 || position >= static_cast<std::int32_t>(fields_.size())) return {};
  return fields_[static_cast<std::size_t>(position)].name;
}

std::string SqlDatabase::Fieldname(const std::string& name) const {
  for (const DbField& field : fields_) {
    if (sameNoCase(field.name, name)) return field.name;
  }
  return {};
}

SqlDatabase::FileIdentity SqlDatabase::identityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_size,
          static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

DbResult SqlDatabase::OpenDB() {
  CloseDB();
  identity_ = identityOf(dbName_);
  if (!identity_.exists) return DbResult::failure("The file " + dbName_ + " does not exist");
  Catalog catalog;
  internal_ = true;
  DbResult result = openEngine(catalog);
  internal_ = false;
  if (!result || !connection_) {
    closeEngine();
    if (result) result = DbResult::failure("The database cannot be opened");
    return result;
  }
  addCaseFreeCollation(connection_);
  // No other database can be attached, whatever a statement tries.
  sqlite3_limit(connection_, SQLITE_LIMIT_ATTACHED, 0);
  sqlite3_db_config(connection_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  // A bracketed name that names no field must fail, not turn into a text literal:
  // statements reach SQLite with every name in double quotes (string literals of the
  // user's text are single-quoted by then), so the legacy fallback is off.
  sqlite3_db_config(connection_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_set_authorizer(connection_, &SqlDatabase::authorize, this);
  catalog_ = std::move(catalog);
  wanted_ = true;
  return DbResult::success();
}

void SqlDatabase::CloseDB() {
  CloseRecordSet();
  warnings_.clear();
  closeEngine();
  catalog_ = {};
  currentTable_ = currentQuery_ = -1;
  fields_.clear();
  kept_.clear();
  wanted_ = false;
}

void SqlDatabase::closeEngine() {
  if (connection_) sqlite3_close_v2(connection_);
  connection_ = nullptr;
}

bool SqlDatabase::fileChanged() const {
  if (!isOpen()) return false;
  return !(identityOf(dbName_) == identity_);
}

DbResult SqlDatabase::refresh() {
  if (!wanted_) return isOpen() ? DbResult::success() : DbResult::failure("No database is open");
  if (isOpen() && !fileChanged()) return DbResult::success();
  DbResult result = OpenDB();
  if (!result) wanted_ = true;  // try again next time: the file may come back
  return result;
}

int SqlDatabase::authorize(void* self, int action, const char* object, const char*, const char*,
                           const char*) {
  auto* db = static_cast<SqlDatabase*>(self);
  if (db->internal_) return SQLITE_OK;
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    default: {
      // CREATE and DROP come as a write to the schema table first, which names them.
      const bool schema = object && std::string_view(object).ends_with("_master");
      if (db->denied_ < 0) {
        db->denied_ = !schema                   ? action
                      : action == SQLITE_INSERT ? SQLITE_CREATE_TABLE
                      : action == SQLITE_DELETE ? SQLITE_DROP_TABLE
                      : action == SQLITE_UPDATE ? SQLITE_ALTER_TABLE
                                                : action;
      }
      return SQLITE_DENY;
    }
  }
}

bool SqlDatabase::execute(const std::string& sql) {
  const bool was = internal_;
  internal_ = true;
  const bool ok = sqlite3_exec(connection_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  internal_ = was;
  return ok;
}

std::int32_t SqlDatabase::tableIndex(const std::string& name) const {
  for (std::size_t i = 0; i < catalog_.tables.size(); ++i) {
    if (sameNoCase(catalog_.tables[i].name, name)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::int32_t SqlDatabase::queryIndex(const std::string& name) const {
  for (std::size_t i = 0; i < catalog_.queries.size(); ++i) {
    if (sameNoCase(catalog_.queries[i].name, name)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

namespace {

// What an authorizer action does, for the message that refuses it.
const char* actionName(int action) {
  switch (action) {
    case SQLITE_INSERT:
      return "INSERT";
    case SQLITE_UPDATE:
      return "UPDATE";
    case SQLITE_DELETE:
      return "DELETE";
    case SQLITE_PRAGMA:
      return "PRAGMA";
    case SQLITE_ATTACH:
      return "ATTACH";
    case SQLITE_DETACH:
      return "DETACH";
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
      return "a transaction";
    case SQLITE_ANALYZE:
      return "ANALYZE";
    case SQLITE_REINDEX:
      return "REINDEX";
    case SQLITE_ALTER_TABLE:
      return "ALTER TABLE";
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_VTABLE:
      return "CREATE";
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_INDEX:
    case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_DROP_TEMP_VIEW:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_VTABLE:
      return "DROP";
    default:
      return "a statement that changes the database";
  }
}

}  // namespace

DbResult SqlDatabase::prepareReading(const std::string& sql, sqlite3_stmt*& prepared) {
  prepared = nullptr;
  const char* tail = nullptr;
  sqlite3_stmt* statement = nullptr;
  const bool was = internal_;
  internal_ = false;
  denied_ = -1;
  const int rc =
      sqlite3_prepare_v2(connection_, sql.c_str(), static_cast<int>(sql.size()), &statement, &tail);
  internal_ = was;
  if (rc != SQLITE_OK || !statement) {
    sqlite3_finalize(statement);
    if (rc == SQLITE_OK) return DbResult::failure("The statement is empty");
    if (rc == SQLITE_AUTH && denied_ >= 0) {
      return DbResult::failure(std::string("not authorized: ") + actionName(denied_) +
                               " is refused, only statements that read rows can run");
    }
    return DbResult::failure(sqlite3_errmsg(connection_));
  }
  for (const char* t = tail; t && *t; ++t) {
    if (*t != ';' && *t != ' ' && *t != '\t' && *t != '\n' && *t != '\r') {
      sqlite3_finalize(statement);
      return DbResult::failure("Only one statement can run at a time");
    }
  }
  if (!sqlite3_stmt_readonly(statement) || sqlite3_column_count(statement) == 0) {
    sqlite3_finalize(statement);
    return DbResult::failure("Only a statement that reads rows can run");
  }
  prepared = statement;
  return DbResult::success();
}

DbResult SqlDatabase::OpenRecordSet(const std::string& sql) {
  CloseRecordSet();
  if (DbResult r = refresh(); !r) return r;
  DirectResult direct;
  if (std::optional<DbResult> answered = answerDirectly(sql, direct)) {
    if (!*answered) return *answered;
    for (std::string& declared : direct.declared) {
      kinds_.push_back(kindOfDeclared(declared.c_str()));
      declared_.push_back(std::move(declared));
    }
    rows_ = std::move(direct.rows);
    return DbResult::success();
  }
  const TranslatedSql translated = translateAccessSql(sql);
  if (DbResult r = provide(translated.names); !r) return r;

  sqlite3_stmt* statement = nullptr;
  if (DbResult r = prepareReading(translated.sql, statement); !r) return r;
  statement_ = statement;
  const int columns = sqlite3_column_count(statement);
  for (int c = 0; c < columns; ++c) {
    const char* declared = sqlite3_column_decltype(statement, c);
    kinds_.push_back(kindOfDeclared(declared));
    declared_.push_back(declared ? declared : "");
  }
  stepRow();
  if (!stepError_.empty()) {
    const std::string error = stepError_;
    CloseRecordSet();
    return DbResult::failure(error);
  }
  return DbResult::success();
}

bool SqlDatabase::stepRow() {
  if (!statement_) return false;
  const int rc = sqlite3_step(statement_);
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) stepError_ = sqlite3_errmsg(connection_);
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    return false;
  }
  std::vector<DbValue> row(kinds_.size());
  for (std::size_t c = 0; c < kinds_.size(); ++c) {
    DbValue& value = row[c];
    const int column = static_cast<int>(c);
    switch (sqlite3_column_type(statement_, column)) {
      case SQLITE_INTEGER:
        value.integer = sqlite3_column_int64(statement_, column);
        value.kind =
            kinds_[c] == DbValue::Kind::Boolean ? DbValue::Kind::Boolean : DbValue::Kind::Integer;
        if (value.kind == DbValue::Kind::Boolean) value.integer = value.integer != 0;
        break;
      case SQLITE_FLOAT:
        value.kind = DbValue::Kind::Real;
        value.real = sqlite3_column_double(statement_, column);
        break;
      case SQLITE_TEXT:
      case SQLITE_BLOB: {
        const auto* text = sqlite3_column_text(statement_, column);
        value.text.assign(reinterpret_cast<const char*>(text),
                          static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
        value.kind = kinds_[c] == DbValue::Kind::Date ? DbValue::Kind::Date : DbValue::Kind::Text;
        break;
      }
      default:
        break;
    }
  }
  rows_.push_back(std::move(row));
  return true;
}

void SqlDatabase::CloseRecordSet() {
  if (statement_) sqlite3_finalize(statement_);
  statement_ = nullptr;
  kinds_.clear();
  declared_.clear();
  rows_.clear();
  stepError_.clear();
  position_ = 0;
}

std::int32_t SqlDatabase::RecordCount() {
  while (stepRow()) {
  }
  position_ = 0;
  return static_cast<std::int32_t>(rows_.size());
}

void SqlDatabase::MoveNext() {
  if (position_ < rows_.size()) ++position_;
  if (position_ == rows_.size()) stepRow();
}

DbValue SqlDatabase::Field(std::int32_t position) const {
  if (position_ >= rows_.size() || position < 0) return {};
  const auto& row = rows_[position_];
  if (static_cast<std::size_t>(position) >= row.size()) return {};
  return row[static_cast<std::size_t>(position)];
}

std::vector<ListEntry> SqlDatabase::ListBoxTables() {
  std::vector<ListEntry> list;
  if (!refresh()) return list;
  for (std::size_t i = 0; i < catalog_.tables.size(); ++i) {
    if (catalog_.tables[i].system) continue;
    list.push_back({catalog_.tables[i].name, static_cast<std::int32_t>(i + 1)});
  }
  return list;
}

std::vector<ListEntry> SqlDatabase::ListBoxViews() {
  std::vector<ListEntry> list;
  if (!refresh()) return list;
  for (std::size_t i = 0; i < catalog_.queries.size(); ++i) {
    if (catalog_.queries[i].kind != 0) continue;
    list.push_back({catalog_.queries[i].name, static_cast<std::int32_t>(i)});
  }
  return list;
}

// The position is one of the list the user chose from, made from the catalog as it is
// before refresh(); when the file changed since, the entry is found again by its name in
// the new catalog (or not at all), never taken to be whatever now stands at that position.
namespace {

template <typename Entry>
std::int32_t findAgain(const std::vector<Entry>& now, const std::string& name) {
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (now[i].name == name) return static_cast<std::int32_t>(i);
  }
  return -1;
}

}  // namespace

void SqlDatabase::SelectTable(std::int32_t position) {
  fields_.clear();
  currentTable_ = -1;
  if (position < 1 || position > static_cast<std::int32_t>(catalog_.tables.size())) return;
  const std::string chosen = catalog_.tables[static_cast<std::size_t>(position - 1)].name;
  if (!refresh()) return;
  currentTable_ = findAgain(catalog_.tables, chosen);
  if (currentTable_ < 0) return;
  fields_ = tableFields(static_cast<std::size_t>(currentTable_));
}

void SqlDatabase::SelectView(std::int32_t position) {
  fields_.clear();
  currentQuery_ = -1;
  if (position < 0 || position >= static_cast<std::int32_t>(catalog_.queries.size())) return;
  const std::string chosen = catalog_.queries[static_cast<std::size_t>(position)].name;
  if (!refresh()) return;
  currentQuery_ = findAgain(catalog_.queries, chosen);
  if (currentQuery_ < 0) return;
  const std::string& name = catalog_.queries[static_cast<std::size_t>(currentQuery_)].name;
  if (!provide({name})) return;
  fields_ = statementFields("SELECT * FROM " + quotedName(name));
}

std::string SqlDatabase::FieldType(std::int32_t position) const {
  if (position < 0 || position >= static_cast<std::int32_t>(declared_.size())) return {};
  return declaredTypeName(declared_[static_cast<std::size_t>(position)].c_str());
}

std::vector<DbField> SqlDatabase::tableFields(std::size_t index) {
  const std::string& name = catalog_.tables[index].name;
  if (!provide({name})) return {};
  return statementFields("SELECT * FROM " + quotedName(name));
}

std::vector<DbField> SqlDatabase::statementFields(const std::string& sql) {
  std::vector<DbField> fields;
  sqlite3_stmt* statement = nullptr;
  const bool was = internal_;
  internal_ = true;
  if (sqlite3_prepare_v2(connection_, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      DbField field;
      field.name = sqlite3_column_name(statement, c);
      if (const char* table = sqlite3_column_table_name(statement, c)) field.sourceTable = table;
      if (const char* origin = sqlite3_column_origin_name(statement, c)) field.sourceField = origin;
      fields.push_back(std::move(field));
    }
  }
  sqlite3_finalize(statement);
  internal_ = was;
  return fields;
}

std::vector<ListEntry> SqlDatabase::ListBoxFields() {
  if (fileChanged()) {
    // The fields shown belonged to the file that was replaced.
    refresh();
    fields_.clear();
  }
  return FieldEntries(fields_);
}

dbFelter SqlDatabase::makeFelter() {
  return FelterOf(fields_);
}

void SqlDatabase::PrepareRelations(const DimensionData& variable) {
  kept_.clear();
  if (!isOpen() || variable.dbName != dbName_) return;
  for (const RelationInfo& relation : catalog_.relations) {
    if (relation.fieldCount == 1 && sameNoCase(relation.primaryTable, variable.TableName) &&
        sameNoCase(relation.primaryField, variable.CodeField)) {
      kept_.push_back(relation);
    }
  }
}

bool SqlDatabase::TestRelations(std::int32_t fieldPosition) const {
  if (fieldPosition < 0 || fieldPosition >= static_cast<std::int32_t>(fields_.size())) {
    return false;
  }
  const DbField& field = fields_[static_cast<std::size_t>(fieldPosition)];
  return std::any_of(kept_.begin(), kept_.end(), [&](const RelationInfo& relation) {
    return sameNoCase(relation.foreignTable, field.sourceTable) &&
           sameNoCase(relation.foreignField, field.sourceField);
  });
}

}  // namespace zendra
