#include "core/database/mdb_reader.h"

// glib comes first: mdbtools.h includes it inside extern "C", where its C++ parts fail.
#include <glib.h>
#include <mdbtools.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

namespace zendra::mdbreader {

using namespace zendra::mdbstream;

WarningCounter::WarningCounter(std::uint64_t limit) : limit_(limit) {
  cookie_io_functions_t functions{};
  functions.write = &WarningCounter::write;
  stream_ = fopencookie(this, "w", functions);
  if (!stream_) return;
  setvbuf(stream_, nullptr, _IONBF, 0);
  savedOut_ = stdout;
  savedErr_ = stderr;
  stdout = stream_;
  stderr = stream_;
}

WarningCounter::~WarningCounter() {
  if (!stream_) return;
  stdout = savedOut_;
  stderr = savedErr_;
  std::fclose(stream_);
}

ssize_t WarningCounter::write(void* self, const char* data, std::size_t size) {
  static_cast<WarningCounter*>(self)->take(std::string_view(data, size));
  return static_cast<ssize_t>(size);
}

void WarningCounter::take(std::string_view text) {
  for (const char c : text) {
    if (c != '\n') {
      if (partial_.size() < kLineLength) partial_ += c;
      continue;
    }
    ++total_;
    ++count_;
    // libmdb may print without end inside one call, where no row check is reached.
    if (exitWhenRunaway && total_ > 2 * limit_) {
      static constexpr std::string_view kRunaway =
          "The file is damaged: the Access library printed warnings without end\n";
      [[maybe_unused]] const ssize_t written = ::write(2, kRunaway.data(), kRunaway.size());
      ::_exit(1);
    }
    if (lines_.size() < kKeptLines && !partial_.empty()) lines_.push_back(partial_);
    partial_.clear();
  }
}

void WarningCounter::endSection(std::string_view source, Writer& out) {
  if (stream_) std::fflush(stream_);
  if (!partial_.empty()) take("\n");
  if (count_ == 0) return;
  std::string lines;
  for (const std::string& line : lines_) lines += (lines.empty() ? "" : "\n") + line;
  out.tag('W');
  out.text(source);
  out.u32(count_);
  out.text(lines);
  out.endRecord();
  count_ = 0;
  lines_.clear();
}

std::vector<MdbCatalogEntry*> catalogEntries(MdbHandle* mdb) {
  std::vector<MdbCatalogEntry*> entries;
  if (!mdb->catalog) return entries;
  // The count libmdb keeps and the array's own length agree in a healthy file only.
  const unsigned count = std::min<unsigned>(mdb->num_catalog, mdb->catalog->len);
  for (unsigned i = 0; i < count; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry) entries.push_back(entry);
  }
  return entries;
}

namespace {

// The most rows any table of the file can hold: every row takes at least two bytes of a
// page (its offset), so a table giving more is read round a damaged page chain.
std::uint64_t rowBound(MdbHandle* mdb) {
  struct stat info {};
  if (!mdb->f || !mdb->f->stream || ::fstat(fileno(mdb->f->stream), &info) != 0) return 1u << 20;
  return std::max<std::uint64_t>(1000, static_cast<std::uint64_t>(info.st_size) / 2);
}

using namespace zendra::mdbstream;


Kind kindOf(int type) {
  switch (type) {
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
      return Text;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
      return Integer;
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_NUMERIC:
      return Real;
    case MDB_DATETIME:
      return Date;
    case MDB_BOOL:
      return Boolean;
    default:
      return Other;
  }
}

// An Access date (days since 1899-12-30, the fraction the time of day) as ISO text.
std::string isoDate(double value) {
  const double whole = std::trunc(value);
  long long seconds = std::llround(std::fabs(value - whole) * 86400.0);
  long long days = static_cast<long long>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++days;
  }
  // Days since 1970-01-01, then the civil date (Howard Hinnant's algorithm).
  long long z = days - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = yoe + era * 400 + (m <= 2);
  char buffer[160];
  if (seconds == 0) {
    std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lld", y, m, d);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", y, m, d,
                  seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return buffer;
}

// A table opened for reading row by row. Texts, memos, numerics and booleans are bound
// (libmdb converts them); numbers and dates are read from the row's bytes.
class TableReader {
 public:
  TableReader(MdbHandle* mdb, MdbCatalogEntry* entry, std::uint64_t maxRows,
              const WarningCounter& warnings)
      : mdb_(mdb), maxRows_(maxRows), warnings_(warnings) {
    name_ = entry->object_name;
    table_ = mdb_read_table(entry);
    if (!table_) throw ReaderError(std::string("The file is damaged: the table ") + entry->object_name +
                        " cannot be read");
    // A damaged table definition gives no columns, or fewer than it says it has.
    if (!mdb_read_columns(table_) || !table_->columns ||
        table_->columns->len != table_->num_cols) {
      mdb_free_tabledef(table_);
      table_ = nullptr;
      throw ReaderError(std::string("The file is damaged: the columns of ") + entry->object_name +
                        " cannot be read");
    }
    mdb_rewind_table(table_);
    const std::size_t count = table_->num_cols;
    buffers_.resize(count);
    lengths_.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
      if (!column) {
        mdb_free_tabledef(table_);
        table_ = nullptr;
        throw ReaderError(std::string("The file is damaged: a column of ") +
                          entry->object_name + " cannot be read");
      }
      columns_.push_back(column);
      kinds_.push_back(kindOf(column->col_type));
      if (bound(column->col_type)) {
        buffers_[i].assign(mdb->bind_size + 1, '\0');
        mdb_bind_column(table_, static_cast<int>(i + 1), buffers_[i].data(), &lengths_[i]);
      }
    }
  }
  ~TableReader() {
    if (table_) mdb_free_tabledef(table_);
  }
  TableReader(const TableReader&) = delete;
  TableReader& operator=(const TableReader&) = delete;

  std::size_t columnCount() const { return columns_.size(); }
  const MdbColumn& column(std::size_t i) const { return *columns_[i]; }
  Kind kind(std::size_t i) const { return kinds_[i]; }
  unsigned rowCount() const { return table_->num_rows; }
  // Fetches the next row; false at the end. Throws when the table gives more rows than the
  // file can hold or libmdb complains without end: both mean a damaged file.
  bool next() {
    if (warnings_.overLimit()) {
      throw ReaderError("The file is damaged: more than " + std::to_string(warnings_.total() - 1) +
                        " warnings from the Access library");
    }
    if (mdb_fetch_row(table_) == 0) return false;
    if (++fetched_ > maxRows_) {
      throw ReaderError(std::string("The file is damaged: ") + name_ + " gives more rows than " +
                        "the file can hold");
    }
    return true;
  }

  // The value of column i of the current row: its kind (Null when empty) and, for bound
  // columns and dates, its text; numbers in the out parameters.
  Kind value(std::size_t i, std::string_view& text, long long& integer, double& real) {
    const MdbColumn& c = *columns_[i];
    const int type = c.col_type;
    if (bound(type)) {
      if (lengths_[i] <= 0 && type != MDB_BOOL) return Null;
      // A length past the bound buffer comes from a damaged row: keep to the buffer.
      const std::size_t length = std::min(static_cast<std::size_t>(std::max(lengths_[i], 0)),
                                          buffers_[i].size() - 1);
      buffers_[i][length] = '\0';
      text = std::string_view(buffers_[i].data(), length);
      if (type == MDB_BOOL) {
        integer = text == "1";
        return Boolean;
      }
      if (type == MDB_NUMERIC) {
        real = std::strtod(buffers_[i].data(), nullptr);
        return Real;
      }
      return Text;
    }
    if (c.cur_value_len == 0) return Null;
    const unsigned char* row = mdb_->pg_buf;
    const int start = c.cur_value_start;
    // A value must lie inside the page read; a damaged row may point anywhere.
    const int size = fixedSize(type);
    if (size == 0 || start < 0 || c.cur_value_len < size ||
        static_cast<std::size_t>(start) + static_cast<std::size_t>(size) > sizeof mdb_->pg_buf) {
      return Null;
    }
    switch (type) {
      case MDB_BYTE:
        integer = row[start];
        return Integer;
      case MDB_INT:
        integer = static_cast<std::int16_t>(mdb_get_int16(mdb_->pg_buf, start));
        return Integer;
      case MDB_LONGINT:
      case MDB_COMPLEX:
        integer = static_cast<std::int32_t>(mdb_get_int32(mdb_->pg_buf, start));
        return Integer;
      case MDB_FLOAT:
        real = mdb_get_single(mdb_->pg_buf, start);
        return Real;
      case MDB_DOUBLE:
        real = mdb_get_double(mdb_->pg_buf, start);
        return Real;
      case MDB_MONEY: {
        std::int64_t cents = 0;
        std::memcpy(&cents, row + start, 8);
        real = static_cast<double>(cents) / 10000.0;
        return Real;
      }
      case MDB_DATETIME: {
        // Access keeps dates from the year 100 to 9999; anything else is a damaged value.
        const double days = mdb_get_double(mdb_->pg_buf, start);
        if (!std::isfinite(days) || days < -657435.0 || days > 2958466.0) return Null;
        date_ = isoDate(days);
        text = date_;
        return Date;
      }
      default:
        return Null;
    }
  }

 private:
  static int fixedSize(int type) {
    switch (type) {
      case MDB_BYTE:
        return 1;
      case MDB_INT:
        return 2;
      case MDB_LONGINT:
      case MDB_COMPLEX:
      case MDB_FLOAT:
        return 4;
      case MDB_DOUBLE:
      case MDB_MONEY:
      case MDB_DATETIME:
        return 8;
      default:
        return 0;
    }
  }
  static bool bound(int type) {
    return type == MDB_TEXT || type == MDB_MEMO || type == MDB_REPID || type == MDB_NUMERIC ||
           type == MDB_BOOL;
  }
  MdbHandle* mdb_;
  std::uint64_t maxRows_;
  const WarningCounter& warnings_;
  std::uint64_t fetched_ = 0;
  std::string name_;
  MdbTableDef* table_ = nullptr;
  std::vector<MdbColumn*> columns_;
  std::vector<Kind> kinds_;
  std::vector<std::vector<char>> buffers_;
  std::vector<int> lengths_;
  std::string date_;
};

// A value of the current row as text (empty for Null), for the system tables.
std::string textOf(TableReader& reader, std::size_t i) {
  std::string_view text;
  long long integer = 0;
  double real = 0;
  switch (reader.value(i, text, integer, real)) {
    case Text:
    case Date:
      return std::string(text);
    case Integer:
    case Boolean:
      return std::to_string(integer);
    case Real:
      return std::to_string(real);
    default:
      return {};
  }
}

MdbCatalogEntry* findEntry(MdbHandle* mdb, std::string_view name, int type) {
  for (MdbCatalogEntry* entry : catalogEntries(mdb)) {
    if (entry->object_type == type && name == entry->object_name) return entry;
  }
  return nullptr;
}

// The rows of a system table as texts by column name.
std::vector<std::map<std::string, std::string>> systemRows(MdbHandle* mdb, const char* name,
                                                          const WarningCounter& warnings) {
  std::vector<std::map<std::string, std::string>> rows;
  MdbCatalogEntry* entry = findEntry(mdb, name, MDB_TABLE);
  if (!entry) return rows;
  TableReader reader(mdb, entry, rowBound(mdb), warnings);
  while (reader.next()) {
    std::map<std::string, std::string> row;
    for (std::size_t i = 0; i < reader.columnCount(); ++i) {
      row[reader.column(i).name] = textOf(reader, i);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// The statement of each select query, rebuilt from the rows of MSysQueries: kind 5 the
// tables, 6 the columns, 8 WHERE, 9 GROUP BY, 10 HAVING, 11 ORDER BY, 3 DISTINCT.
std::map<std::string, std::string> querySql(MdbHandle* mdb, const WarningCounter& warnings) {
  struct Parts {
    bool distinct = false;
    std::vector<std::string> columns, tables, groups, orders;
    std::string where, having;
  };
  std::map<std::string, Parts> byId;
  for (auto& row : systemRows(mdb, "MSysQueries", warnings)) {
    Parts& parts = byId[row["ObjectId"]];
    const int attribute = std::atoi(row["Attribute"].c_str());
    const std::string& expression = row["Expression"];
    const std::string& name1 = row["Name1"];
    const std::string& name2 = row["Name2"];
    switch (attribute) {
      case 3:
        parts.distinct = (std::atoi(row["Flag"].c_str()) & 2) != 0;
        break;
      case 5:
        if (!name1.empty())
          parts.tables.push_back("[" + name1 + "]" + (name2.empty() ? "" : " AS [" + name2 + "]"));
        break;
      case 6:
        parts.columns.push_back(expression + (name1.empty() ? "" : " AS [" + name1 + "]"));
        break;
      case 8:
        parts.where = expression;
        break;
      case 9:
        parts.groups.push_back(expression);
        break;
      case 10:
        parts.having = expression;
        break;
      case 11:
        parts.orders.push_back(expression + (name1 == "D" ? " DESC" : ""));
        break;
      default:
        break;
    }
  }
  auto join = [](const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ",") + item;
    return out;
  };
  std::map<std::string, std::string> sql;
  for (auto& [id, parts] : byId) {
    std::string text = std::string("SELECT ") + (parts.distinct ? "DISTINCT " : "") +
                       (parts.columns.empty() ? "*" : join(parts.columns));
    if (!parts.tables.empty()) text += " FROM " + join(parts.tables);
    if (!parts.where.empty()) text += " WHERE " + parts.where;
    if (!parts.groups.empty()) text += " GROUP BY " + join(parts.groups);
    if (!parts.having.empty()) text += " HAVING " + parts.having;
    if (!parts.orders.empty()) text += " ORDER BY " + join(parts.orders);
    sql[id] = text;
  }
  return sql;
}

}  // namespace

void writeCatalog(MdbHandle* mdb, Writer& out, WarningCounter& warnings) {
  std::map<std::string, std::string> queryIds;  // name -> MSysObjects Id
  for (auto& row : systemRows(mdb, "MSysObjects", warnings)) {
    if (row["Type"] == "5") queryIds[row["Name"]] = row["Id"];
  }
  const auto sql = querySql(mdb, warnings);
  for (MdbCatalogEntry* entry : catalogEntries(mdb)) {
    if (entry->object_type == MDB_TABLE) {
      TableReader reader(mdb, entry, rowBound(mdb), warnings);
      out.tag('T');
      out.text(entry->object_name);
      out.u32(static_cast<std::uint32_t>(entry->flags));
      out.u64(reader.rowCount());
      out.u32(static_cast<std::uint32_t>(reader.columnCount()));
      for (std::size_t c = 0; c < reader.columnCount(); ++c) {
        out.text(reader.column(c).name);
        out.u8(reader.kind(c));
      }
    } else if (entry->object_type == MDB_QUERY) {
      const auto id = queryIds.find(entry->object_name);
      const auto text = id == queryIds.end() ? sql.end() : sql.find(id->second);
      out.tag('Q');
      out.text(entry->object_name);
      out.u32(static_cast<std::uint32_t>(entry->flags));
      out.text(text == sql.end() ? std::string_view{} : std::string_view(text->second));
    }
    out.endRecord();
  }
  for (auto& row : systemRows(mdb, "MSysRelationships", warnings)) {
    out.tag('R');
    out.text(row["szReferencedObject"]);
    out.text(row["szReferencedColumn"]);
    out.text(row["szObject"]);
    out.text(row["szColumn"]);
    out.u32(static_cast<std::uint32_t>(std::atoi(row["ccolumn"].c_str())));
  }
  warnings.endSection({}, out);
  out.tag('Z');
}

void writeRows(MdbHandle* mdb, const char* name, Writer& out, WarningCounter& warnings) {
  MdbCatalogEntry* entry = findEntry(mdb, name, MDB_TABLE);
  if (!entry) throw ReaderError(std::string("There is no table ") + name);
  TableReader reader(mdb, entry, rowBound(mdb), warnings);
  const std::size_t columns = reader.columnCount();
  out.tag('H');
  out.text(name);
  out.u32(static_cast<std::uint32_t>(columns));
  for (std::size_t c = 0; c < columns; ++c) out.u8(reader.kind(c));
  std::uint64_t rows = 0;
  std::string_view text;
  long long integer = 0;
  double real = 0;
  while (reader.next()) {
    out.tag('r');
    for (std::size_t c = 0; c < columns; ++c) {
      const Kind kind = reader.value(c, text, integer, real);
      out.u8(kind);
      switch (kind) {
        case Text:
        case Date:
          out.text(text);
          break;
        case Integer:
          out.u64(static_cast<std::uint64_t>(integer));
          break;
        case Boolean:
          out.u8(integer != 0);
          break;
        case Real:
          out.f64(real);
          break;
        default:
          break;
      }
    }
    out.endRecord();
    ++rows;
  }
  out.tag('z');
  out.u64(rows);
  warnings.endSection(name, out);
}


void readAll(const char* path, Writer& out, WarningCounter& warnings) {
  MdbHandle* mdb = mdb_open(path, MDB_NOFLAGS);
  if (!mdb) return;
  if (mdb_read_catalog(mdb, MDB_ANY)) {
    mdb_set_boolean_fmt_numbers(mdb);
    std::vector<std::string> tables;
    for (MdbCatalogEntry* entry : catalogEntries(mdb)) {
      if (entry->object_type == MDB_TABLE) tables.emplace_back(entry->object_name);
    }
    try {
      writeCatalog(mdb, out, warnings);
    } catch (const ReaderError&) {
    }
    for (const std::string& table : tables) {
      try {
        writeRows(mdb, table.c_str(), out, warnings);
      } catch (const ReaderError&) {
      }
    }
  }
  mdb_close(mdb);
}

}  // namespace zendra::mdbreader
