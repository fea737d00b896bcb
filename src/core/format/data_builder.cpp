#include "core/format/data_builder.h"

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

void AppendDataText(const VexaMess& doc, CellGrid& grid, DataCheck& check, std::string& out) {
  check = DataCheck{};
  out += "DATA=\r\n";
  if (!doc.GridCreated) {
    check.DataMissing = true;
    return;
  }
  const std::int32_t lastRow = grid.rowCount();
  const std::int32_t lastCol = grid.colCount();
  std::string text;

  if (!doc.FileWithKeys) {
    const auto cells = static_cast<std::size_t>(std::max(0, lastRow - doc.DataRow1 + 1)) *
                       static_cast<std::size_t>(std::max(0, lastCol - doc.DataCol1 + 1));
    out.reserve(out.size() + cells * 8);
    for (std::int32_t row = doc.DataRow1; row <= lastRow; ++row) {
      for (std::int32_t col = doc.DataCol1; col <= lastCol; ++col) {
        double value = 0;
        int decimals = 0;
        if (grid.numberAt(row, col, value, decimals)) {
          appendFixed(value, decimals, ".", out);  // straight into the text
        } else if (cellText(grid, row, col, text)) {
          out += text;
        } else {
          paint(grid, row, col, CheckSymbol(text, check));
          appendQuoted(text, out);
        }
        out += ' ';
      }
      out += "\r\n";
    }
  } else {
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
  }
  // The last line break goes; without any row the text is "DATA=" alone.
  out.resize(out.size() - 2);
}

}  // namespace GetDataMod
}  // namespace zendra
