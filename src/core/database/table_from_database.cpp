#include "core/database/table_from_database.h"

#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "core/grid/data_methods.h"
#include "core/model/text_compare.h"

namespace zendra {

namespace {

// How the names of a statement are written: fields, and the table or query read.
struct Names {
  std::function<std::string(std::string_view)> field;
  std::function<std::string(const std::string&)> source;
};

Names bracketed() {
  return {[](std::string_view n) { return bracketName(n); },
          [](const std::string& n) { return bracketName(n); }};
}

Names quotedFor(const clsAnyDatabase& db) {
  return {[&db](std::string_view n) { return db.QuoteName(n); },
          [&db](const std::string& n) { return db.QuoteSource(n); }};
}

std::string fieldList(const std::vector<std::string>& fields, const Names& names) {
  std::string out;
  for (const auto& field : fields) {
    if (!out.empty()) out += ", ";
    out += names.field(field);
  }
  return out;
}

std::string countSql(const std::vector<std::string>& fields, const std::string& source,
                     const Names& names) {
  const std::string f = fieldList(fields, names);
  return "Select " + f + ", count(*) as CountOf " + " From " + names.source(source) +
         " GROUP BY " + f;
}

std::string sumSql(const std::vector<std::string>& fields, const std::string& sumField,
                   const std::string& source, const Names& names) {
  const std::string f = fieldList(fields, names);
  return "Select " + f + ", sum(" + names.field(sumField) + ") AS SumOf " + " From " +
         names.source(source) + " GROUP BY " + f;
}

// Finds values of one variable by the text of a database value: exactly first (as the
// document's own look-up does), then without regard to letter case, as the database
// compares text when it groups.
class ValueMatcher {
 public:
  ValueMatcher(const VexaMess& doc, bool heading, std::int32_t position)
      : doc_(doc), heading_(heading), position_(position) {
    const auto& side = heading ? doc.colHeading : doc.colStub;
    variable_ = side.Item(position);
    std::int32_t index = 0;
    for (const auto& value : variable_->ValueCode) {
      folded_.emplace(foldCase(variable_->UseCodes ? value->code : value->value), index++);
    }
  }

  std::int32_t find(const std::string& text) const {
    const std::int32_t exact =
        heading_ ? doc_.GetCodeIndexHead(text, position_) : doc_.GetCodeIndexStub(text, position_);
    if (exact >= 0) return exact;
    const auto it = folded_.find(foldCase(text));
    return it == folded_.end() ? -1 : it->second;
  }
  std::int32_t count() const { return variable_->ValueCode.Count(); }
  const std::string& name() const { return variable_->name; }

 private:
  const VexaMess& doc_;
  bool heading_;
  std::int32_t position_;
  DimensionRef variable_;
  // Folded key -> the first value with it.
  std::unordered_map<std::string, std::int32_t> folded_;
};

struct Radix {
  std::vector<ValueMatcher> vars;
  std::vector<std::int64_t> weights;  // 0 for a variable that spans nothing
};

Radix radixOf(const VexaMess& doc, bool heading) {
  Radix r;
  const auto& side = heading ? doc.colHeading : doc.colStub;
  for (std::int32_t p = 1; p <= side.Count(); ++p) r.vars.emplace_back(doc, heading, p);
  r.weights.assign(r.vars.size(), 0);
  std::int64_t w = 1;
  for (std::size_t i = r.vars.size(); i-- > 0;) {
    // In the keys form a keyed heading variable has no columns of its own.
    if (heading && doc.FileWithKeys && side.Item(static_cast<std::int32_t>(i) + 1)->Keytype != 0) {
      continue;
    }
    r.weights[i] = w;
    w *= std::max(1, r.vars[i].count());
  }
  return r;
}

std::string invalidCode(const std::string& code, const std::string& variable) {
  return "Code: " + code + " in " + variable + " is  invalid";
}

// The offset of the fields from `first` on within the variables' mixed-radix numbering;
// -1 (with an error line) when a field matches no value.
std::int64_t offsetOf(const Radix& radix, const std::vector<DbValue>& row, std::size_t first,
                      std::vector<std::string>& errors) {
  std::int64_t offset = 0;
  for (std::size_t i = 0; i < radix.vars.size(); ++i) {
    const std::string text = dbValueText(row[first + i]);
    const std::int32_t p = radix.vars[i].find(text);
    if (p < 0) {
      errors.push_back(invalidCode(text, radix.vars[i].name()));
      return -1;
    }
    offset += p * radix.weights[i];
  }
  return offset;
}

std::string codesOf(const std::vector<DbValue>& row, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += (i ? " " : "") + dbValueText(row[i]);
  return out;
}

// The aggregate of a row: none for a Null; false (with an error line) when it is neither
// Null nor a number.
bool aggregateOf(const std::vector<DbValue>& row, std::size_t variables,
                 std::optional<double>& number, std::vector<std::string>& errors) {
  const DbValue& value = row[variables];
  number.reset();
  if (value.isNull()) return true;
  number = value.number();
  if (number) return true;
  errors.push_back("Value: " + dbValueText(value) + " for " + codesOf(row, variables) +
                   " is not a number");
  return false;
}

// Remembers the cells a placement writes a value to. A second value for one cell (an
// edited statement that does not group, or texts that group apart but match one value) is
// an error line: the last one would silently win otherwise.
class CellsWritten {
 public:
  bool first(std::int32_t row, std::int32_t col, const std::vector<DbValue>& values,
             std::size_t variables, std::vector<std::string>& errors) {
    const auto key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
                     static_cast<std::uint32_t>(col);
    if (seen_.insert(key).second) return true;
    errors.push_back("Value for " + codesOf(values, variables) + " is given more than once");
    return false;
  }

 private:
  std::unordered_set<std::uint64_t> seen_;
};

void placeCells(const VexaMess& doc, const DbRows& result, DbPlacement& out) {
  const Radix stub = radixOf(doc, false);
  const Radix heading = radixOf(doc, true);
  const std::size_t variables = stub.vars.size() + heading.vars.size();
  std::optional<double> number;
  CellsWritten written;
  for (const auto& row : result.rows) {
    const std::int64_t rowOffset = offsetOf(stub, row, 0, out.errors);
    if (rowOffset < 0) continue;
    const std::int64_t colOffset = offsetOf(heading, row, stub.vars.size(), out.errors);
    if (colOffset < 0 || !aggregateOf(row, variables, number, out.errors)) continue;
    const auto gridRow = static_cast<std::int32_t>(doc.DataRow1 + rowOffset);
    const auto gridCol = static_cast<std::int32_t>(doc.DataCol1 + colOffset);
    if (!written.first(gridRow, gridCol, row, variables, out.errors)) continue;
    out.writes.push_back({gridRow,
                          gridCol,
                          number ? DbCellWrite::Kind::Number : DbCellWrite::Kind::Clear,
                          number.value_or(0),
                          {}});
  }
}

std::string foldedKeys(const std::vector<DbValue>& row, std::size_t count) {
  std::string keys;
  for (std::size_t i = 0; i < count; ++i) {
    // Each key with its length before it, so that no two lists of keys join alike; a
    // Null apart from every text.
    const std::string key = row[i].isNull() ? std::string("\x01") : foldCase(dbValueText(row[i]));
    keys += std::to_string(key.size()) + ':' + key;
  }
  return keys;
}

void placeKeys(const VexaMess& doc, const CellGrid& grid, const DbRows& result, DbPlacement& out) {
  const Radix heading = radixOf(doc, true);
  const std::size_t keys = static_cast<std::size_t>(doc.colStub.Count());
  const std::size_t variables = keys + heading.vars.size();
  const std::int32_t entryRow = grid.rowCount();
  // With heading variables one grid row holds the values of every heading column.
  std::unordered_map<std::string, std::int32_t> rowOfKeys;
  std::optional<double> number;
  CellsWritten written;
  for (const auto& row : result.rows) {
    const std::int64_t colOffset = offsetOf(heading, row, keys, out.errors);
    if (colOffset < 0 || !aggregateOf(row, variables, number, out.errors)) continue;
    std::int32_t gridRow = entryRow + out.filledRows;
    bool newRow = true;
    if (!heading.vars.empty()) {
      const auto [it, inserted] = rowOfKeys.emplace(foldedKeys(row, keys), gridRow);
      gridRow = it->second;
      newRow = inserted;
      if (!written.first(gridRow, static_cast<std::int32_t>(doc.DataCol1 + colOffset), row,
                         variables, out.errors)) {
        continue;
      }
    }
    if (newRow) {
      ++out.filledRows;
      for (std::size_t i = 0; i < keys; ++i) {
        if (row[i].isNull()) continue;
        out.writes.push_back({gridRow, static_cast<std::int32_t>(i) + 1, DbCellWrite::Kind::Text, 0,
                              dbValueText(row[i])});
      }
    }
    if (number) {
      out.writes.push_back({gridRow,
                            static_cast<std::int32_t>(doc.DataCol1 + colOffset),
                            DbCellWrite::Kind::Number,
                            *number,
                            {}});
    }
  }
}

}  // namespace

std::string CountSql(const std::vector<std::string>& fields, const std::string& source) {
  return countSql(fields, source, bracketed());
}

std::string SumSql(const std::vector<std::string>& fields, const std::string& sumField,
                   const std::string& source) {
  return sumSql(fields, sumField, source, bracketed());
}

std::string CountSql(const clsAnyDatabase& db, const std::vector<std::string>& fields,
                     const std::string& source) {
  return countSql(fields, source, quotedFor(db));
}

std::string SumSql(const clsAnyDatabase& db, const std::vector<std::string>& fields,
                   const std::string& sumField, const std::string& source) {
  return sumSql(fields, sumField, source, quotedFor(db));
}

namespace {

// Reads a bracketed name ("]]" standing for "]") at pos, moving past it.
std::optional<std::string> bracketedAt(std::string_view sql, std::size_t& pos) {
  if (pos >= sql.size() || sql[pos] != '[') return std::nullopt;
  std::string name;
  for (std::size_t i = pos + 1; i < sql.size(); ++i) {
    if (sql[i] != ']') {
      name += sql[i];
    } else if (i + 1 < sql.size() && sql[i + 1] == ']') {
      name += ']';
      ++i;
    } else {
      pos = i + 1;
      return name;
    }
  }
  return std::nullopt;
}

bool skip(std::string_view sql, std::size_t& pos, std::string_view word) {
  if (sql.substr(pos, word.size()) != word) return false;
  pos += word.size();
  return true;
}

}  // namespace

std::optional<GeneratedGrouping> RecogniseGeneratedSql(const clsAnyDatabase& db,
                                                       const std::string& sql) {
  GeneratedGrouping out;
  std::size_t pos = 0;
  if (!skip(sql, pos, "Select ")) return std::nullopt;
  do {
    std::optional<std::string> field = bracketedAt(sql, pos);
    if (!field) return std::nullopt;
    out.fields.push_back(std::move(*field));
  } while (skip(sql, pos, ", ") && (pos >= sql.size() || sql[pos] == '['));
  if (!skip(sql, pos, "count(*) as CountOf ")) {
    if (!skip(sql, pos, "sum(")) return std::nullopt;
    std::optional<std::string> summed = bracketedAt(sql, pos);
    if (!summed || !skip(sql, pos, ") AS SumOf ")) return std::nullopt;
    out.sumField = std::move(*summed);
  }
  if (!skip(sql, pos, " From ")) return std::nullopt;
  std::optional<std::string> source = bracketedAt(sql, pos);
  if (!source) return std::nullopt;
  out.source = std::move(*source);
  const std::string again = out.sumField.empty() ? CountSql(db, out.fields, out.source)
                                                 : SumSql(db, out.fields, out.sumField, out.source);
  if (again != sql) return std::nullopt;
  return out;
}

DbRows ReadDbRows(clsAnyDatabase& db) {
  DbRows out;
  out.columns = db.FieldCount();
  const auto columns = static_cast<std::size_t>(std::max(0, out.columns));
  db.MoveFirst();
  while (!db.AtEOF()) {
    std::vector<DbValue> row;
    row.reserve(columns);
    for (std::int32_t c = 0; c < out.columns; ++c) row.push_back(db.Field(c));
    out.rows.push_back(std::move(row));
    db.MoveNext();
  }
  return out;
}

DbResult RunDbQuery(clsAnyDatabase& db, const std::string& sql, DbRows& out) {
  DbResult opened = db.OpenRecordSet(sql);
  if (!opened) return opened;
  out = ReadDbRows(db);
  const std::string error = db.RecordsetError();
  db.CloseRecordSet();
  if (!error.empty()) {
    out = {};
    return DbResult::failure(error);
  }
  return DbResult::success();
}

std::string DbShapeError(const VexaMess& doc, const DbRows& result) {
  const std::int32_t needed = doc.Dimensions.Count() + 1;
  if (result.columns == needed) return {};
  return "The query gives " + std::to_string(result.columns) + " columns; the table needs " +
         std::to_string(needed) + ": one for each variable, then the value";
}

DbPlacement PlaceDbRows(const VexaMess& doc, const CellGrid& grid, const DbRows& result) {
  DbPlacement out;
  out.keysForm = doc.FileWithKeys;
  if (!DbShapeError(doc, result).empty()) {
    out.errors.push_back(DbShapeError(doc, result));
    return out;
  }
  if (doc.FileWithKeys) {
    placeKeys(doc, grid, result, out);
  } else {
    placeCells(doc, result, out);
  }
  return out;
}

bool ApplyDbPlacement(VexaMess& doc, CellGrid& grid, const DbPlacement& placement) {
  if (!placement.ok()) return false;
  if (placement.keysForm && placement.filledRows > 0 &&
      !AppendKeysRow(doc, grid, placement.filledRows)) {
    return false;
  }
  for (const auto& w : placement.writes) {
    switch (w.kind) {
      case DbCellWrite::Kind::Number:
        grid.setNumber(w.row, w.col, w.number, doc.SaveDecimals);
        break;
      case DbCellWrite::Kind::Text:
        grid.setText(w.row, w.col, w.text);
        break;
      case DbCellWrite::Kind::Clear:
        grid.clearCell(w.row, w.col);
        break;
    }
  }
  doc.GridHasData = true;
  return true;
}

}  // namespace zendra
