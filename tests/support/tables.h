#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

// Building small tables for the tests, and showing documents and grids as text so
// that a test can compare a whole structure at once.
namespace zendra::test {

using Texts = std::vector<std::string>;

// Adds a variable with these value texts; codes, when given, are set and switched on.
inline DimensionRef addVariable(VexaMess& doc, const std::string& name, int side,
                                const Texts& values, const Texts& codes = {}) {
  auto v = doc.addDimension(name, side);
  for (std::size_t i = 0; i < values.size(); ++i) {
    auto value = v->addVal();
    value->value = values[i];
    if (i < codes.size()) value->code = codes[i];
  }
  v->UseCodes = !codes.empty();
  return v;
}

inline DimensionRef variableWith(const Texts& values, const std::string& name = "v") {
  auto v = DimensionData::create(name);
  for (const auto& text : values) v->addVal()->value = text;
  return v;
}

inline Texts texts(const VacCollection& values) {
  Texts out;
  for (const auto& v : values) out.push_back(v->value);
  return out;
}

inline Texts names(const DimensionDataColl& coll) {
  Texts out;
  for (const auto& v : coll) out.push_back(v->name);
  return out;
}

// Rows row1 to row2 (the last row when -1), cells of a row joined by "|", each row
// followed by "\n"; with numbers marked, a number cell's text follows a "#".
inline std::string gridRows(const CellGrid& g, std::int32_t row1 = 1, std::int32_t row2 = -1,
                            bool markNumbers = false) {
  std::string out;
  if (row2 < 0) row2 = g.rowCount();
  for (std::int32_t r = row1; r <= row2; ++r) {
    for (std::int32_t c = 1; c <= g.colCount(); ++c) {
      const bool mark = markNumbers && g.kind(r, c) == CellKind::Number;
      out += (c > 1 ? "|" : "") + std::string(mark ? "#" : "") + g.text(r, c);
    }
    out += "\n";
  }
  return out;
}

// A cell's colours as "back/fore", "-" for none.
inline std::string colours(const CellGrid& g, std::int32_t r, std::int32_t c) {
  auto name = [](std::optional<Colour> colour) {
    return !colour              ? "-"
           : *colour == kRed    ? "red"
           : *colour == kYellow ? "yellow"
           : *colour == kWhite  ? "white"
           : *colour == kBlack  ? "black"
                                : "other";
  };
  return std::string(name(g.backColour(r, c))) + "/" + name(g.foreColour(r, c));
}

}  // namespace zendra::test
