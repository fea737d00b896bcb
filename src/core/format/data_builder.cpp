#include "core/format/data_builder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <thread>

#include "core/grid/numeric.h"

namespace zendra {

void appendQuoted(std::string_view text, std::string& out) {
  out += '"';
  for (const char c : text) out += c == '"' ? '\'' : c;
  out += '"';
}

std::string q(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  appendQuoted(text, out);
  return out;
}

bool TestCodeOK(const VexaMess& doc, std::string_view code, std::int32_t index) {
  const auto variable = doc.Dimensions.Item(index);
  if (!variable) return false;
  for (const auto& value : variable->ValueCode) {
    if ((variable->UseCodes ? value->code : value->value) == code) return true;
  }
  return false;
}

namespace GetDataMod {
namespace {

constexpr std::string_view kSymbols[] = {".", "..", "...", "....", ".....", "......", "-"};

}  // namespace

bool cellText(const CellGrid& grid, std::int32_t row, std::int32_t col, std::string& text) {
  text.clear();
  double value = 0;
  int decimals = 0;
  if (grid.numberAt(row, col, value, decimals)) {
    appendFixed(value, decimals, ".", text);
    return true;
  }
  text.assign(trimBlanks(grid.storedText(row, col)));
  if (isNumeric(text, ".")) return true;
  const std::string& sep = grid.decimalChar();
  if (sep == "." || !isNumeric(text, sep)) return false;
  if (const auto at = text.find(sep); at != std::string::npos) text.replace(at, sep.size(), ".");
  return true;
}

namespace {

void paint(CellGrid& grid, std::int32_t row, std::int32_t col, bool valid) {
  if (valid) {
    grid.setColours(row, col, kWhite, kBlack);
  } else {
    grid.setColours(row, col, kRed, kYellow);
  }
}

}  // namespace

bool CheckSymbol(std::string_view text, DataCheck& check) {
  if (text.empty()) {
    check.DataMissing = true;
    return false;
  }
  for (const auto symbol : kSymbols) {
    if (text == symbol) {
      if (text == "-") check.DashFound = true;
      return true;
    }
  }
  check.InvalidData = true;
  return false;
}

bool InvalidCellText(const CellGrid& grid, std::int32_t row, std::int32_t col) {
  if (grid.kind(row, col) != CellKind::Text) return false;
  const std::string_view text = trimBlanks(grid.storedText(row, col));
  if (text.empty() || isNumeric(text, ".") || isNumeric(text, grid.decimalChar())) return false;
  DataCheck ignored;
  return !CheckSymbol(text, ignored);
}

std::string BuildDataText(const VexaMess& doc, CellGrid& grid, DataCheck& check) {
  std::string out;
  AppendDataText(doc, grid, check, out);
  return out;
}

namespace {

// A number as appendFixed writes it with "." when it takes appendFixed's short way (the
// value times 10^decimals is a whole number below 2^52 that reads back as the value),
// written at out; returns the end, or nullptr for the other values.
char* shortFixed(double value, int decimals, char* out) {
  static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (decimals < 0 || decimals > 15 || !std::isfinite(value)) return nullptr;
  const double scale = kPow10[decimals];
  const double scaled = value * scale;
  if (!(std::abs(scaled) < 4503599627370496.0)) return nullptr;  // 2^52
  const double whole = std::nearbyint(scaled);
  if (whole / scale != value) return nullptr;
  auto r = static_cast<long long>(whole);
  if (r < 0) {
    *out++ = '-';
    r = -r;
  }
  // The digits of r, last first; copied byte by byte, as they are few.
  char digits[24];
  std::size_t count = 0;
  auto u = static_cast<unsigned long long>(r);
  do {
    digits[count++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  const auto d = static_cast<std::size_t>(decimals);
  if (count <= d) {  // 0.05 -> "0" "." "05"
    *out++ = '0';
    *out++ = '.';
    for (std::size_t i = count; i < d; ++i) *out++ = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
  }
  while (count > d) *out++ = digits[--count];
  if (d == 0) return out;
  *out++ = '.';
  while (count > 0) *out++ = digits[--count];
  return out;
}

}  // namespace

void AppendNormalRows(const VexaMess& doc, const CellGrid& grid, std::int32_t first,
                      std::int32_t last, DataCheck& check, std::vector<CellPaint>& paints,
                      std::string& out) {
  const std::int32_t lastCol = grid.colCount();
  std::string text;
  // Numbers are gathered in a buffer and appended to out a few kilobytes at a time.
  char buffer[16384];
  std::size_t used = 0;
  auto flush = [&] {
    out.append(buffer, used);
    used = 0;
  };
  for (std::int32_t row = first; row <= last; ++row) {
    if (used > sizeof buffer - 64) flush();
    buffer[used++] = '\r';
    buffer[used++] = '\n';
    for (std::int32_t col = doc.DataCol1; col <= lastCol; ++col) {
      if (used > sizeof buffer - 64) flush();
      double value = 0;
      int decimals = 0;
      if (grid.numberAt(row, col, value, decimals)) {
        if (char* end = shortFixed(value, decimals, buffer + used)) {
          *end++ = ' ';
          used = static_cast<std::size_t>(end - buffer);
          continue;
        }
        flush();
        appendFixed(value, decimals, ".", out);
      } else {
        flush();
        if (cellText(grid, row, col, text)) {
          out += text;
        } else {
          paints.push_back({row, col, CheckSymbol(text, check)});
          appendQuoted(text, out);
        }
      }
      out += ' ';
    }
  }
  flush();
}

void ApplyPaints(CellGrid& grid, const std::vector<CellPaint>& paints) {
  for (const CellPaint& p : paints) paint(grid, p.row, p.col, p.valid);
}

void CheckDataCells(const VexaMess& doc, CellGrid& grid, DataCheck& check) {
  if (doc.FileWithKeys || !doc.GridCreated) {
    std::string ignored;
    AppendDataText(doc, grid, check, ignored);
    return;
  }
  // Number cells are always valid; only the others are looked at, as the builder does.
  // A large grid is looked at in bands of rows on all cores, and painted after.
  check = DataCheck{};
  const std::int32_t first = doc.DataRow1;
  const std::int32_t last = grid.rowCount();
  const std::int64_t cells = static_cast<std::int64_t>(std::max(0, last - first + 1)) *
                             std::max(0, grid.colCount() - doc.DataCol1 + 1);
  const std::int64_t bands =
      cells < (std::int64_t{1} << 20)
          ? 1
          : std::clamp<std::int64_t>(std::thread::hardware_concurrency(), 1,
                                     std::min<std::int64_t>(8, last - first + 1));
  struct Band {
    DataCheck check;
    std::vector<CellPaint> paints;
  };
  std::vector<Band> found(static_cast<std::size_t>(bands));
  auto look = [&](std::int64_t b) {
    Band& band = found[static_cast<std::size_t>(b)];
    const std::int64_t rows = last - first + 1;
    const auto r1 = static_cast<std::int32_t>(first + rows * b / bands);
    const auto r2 = static_cast<std::int32_t>(first + rows * (b + 1) / bands - 1);
    std::string text;
    for (std::int32_t row = r1; row <= r2; ++row) {
      for (std::int32_t col = doc.DataCol1; col <= grid.colCount(); ++col) {
        double value = 0;
        int decimals = 0;
        if (grid.numberAt(row, col, value, decimals)) continue;
        if (!cellText(grid, row, col, text)) {
          band.paints.push_back({row, col, CheckSymbol(text, band.check)});
        }
      }
    }
  };
  std::vector<std::exception_ptr> failures(found.size());
  auto guarded = [&](std::int64_t b) {
    try {
      look(b);
    } catch (...) {
      failures[static_cast<std::size_t>(b)] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  std::int64_t started = 1;
  try {
    for (; started < bands; ++started) helpers.emplace_back(guarded, started);
  } catch (...) {
    // No thread to be had: the bands left run here.
  }
  for (std::int64_t b = started; b < bands; ++b) guarded(b);
  guarded(0);
  for (auto& helper : helpers) helper.join();
  for (const auto& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  for (const Band& band : found) {
    check.DataMissing = check.DataMissing || band.check.DataMissing;
    check.InvalidData = check.InvalidData || band.check.InvalidData;
    check.DashFound = check.DashFound || band.check.DashFound;
    ApplyPaints(grid, band.paints);
  }
}

void AppendDataText(const VexaMess& doc, CellGrid& grid, DataCheck& check, std::string& out) {
  check = DataCheck{};
  if (!doc.GridCreated) {
    out += "DATA=\r\n";
    check.DataMissing = true;
    return;
  }
  const std::int32_t lastRow = grid.rowCount();
  const std::int32_t lastCol = grid.colCount();

  if (!doc.FileWithKeys) {
    // Each row starts with its line break, so without any row the text is "DATA=" alone.
    out += "DATA=";
    const auto cells = static_cast<std::size_t>(std::max(0, lastRow - doc.DataRow1 + 1)) *
                       static_cast<std::size_t>(std::max(0, lastCol - doc.DataCol1 + 1));
    out.reserve(out.size() + cells * 8);
    std::vector<CellPaint> paints;
    AppendNormalRows(doc, grid, doc.DataRow1, lastRow, check, paints, out);
    ApplyPaints(grid, paints);
    return;
  }
  out += "DATA=\r\n";
  std::string text;
  for (std::int32_t row = doc.DataRow1; row < lastRow; ++row) {
    bool empty = true;
    for (std::int32_t col = 1; col <= lastCol && empty; ++col) {
      cellText(grid, row, col, text);
      empty = text.empty();
    }
    if (empty) continue;
    for (std::int32_t col = 1; col <= lastCol; ++col) {
      const bool key = col < doc.DataCol1;
      // A key is a code or a value text, compared and written as typed.
      const bool numeric = key ? false : cellText(grid, row, col, text);
      if (key) text.assign(trimBlanks(grid.text(row, col)));
      if (col > 1) out += ',';
      if (key) {
        const bool known = TestCodeOK(doc, text, col);
        if (!known) check.InvalidCode = true;
        paint(grid, row, col, known);
        appendQuoted(text, out);
      } else if (numeric) {
        out += text;
      } else {
        paint(grid, row, col, CheckSymbol(text, check));
        appendQuoted(text, out);
      }
    }
    out += "\r\n";
  }
  // The last line break goes; without any row the text is "DATA=" alone.
  out.resize(out.size() - 2);
}

}  // namespace GetDataMod
}  // namespace zendra
