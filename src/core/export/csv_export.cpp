#include "core/export/csv_export.h"

#include <string>
#include <vector>

namespace zendra {
namespace {

constexpr std::size_t kPiece = 1 << 20;

}  // namespace

void appendCsvField(std::string_view field, std::string& out) {
  const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quote) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

ExportWalk WriteTidyCsv(const VexaMess& doc, const CellGrid& grid, const CsvExportOptions& options,
                        const std::function<bool(std::string_view)>& write) {
  std::string out;
  out.reserve(kPiece + 4096);
  if (options.bom) out += "\xEF\xBB\xBF";
  const std::int32_t variables = doc.Dimensions.Count();
  for (std::int32_t v = 1; v <= variables; ++v) {
    const auto variable = doc.Dimensions.Item(v);
    if (variable->UseCodes) {
      appendCsvField(variable->name + " code", out);
      out += ',';
    }
    appendCsvField(variable->name, out);
    out += ',';
  }
  out += "value,symbol\r\n";

  // Each value's fields, escaped once: a cell's line is then its values' fields in turn.
  std::vector<std::vector<std::string>> fields(static_cast<std::size_t>(variables));
  for (std::int32_t v = 1; v <= variables; ++v) {
    const auto variable = doc.Dimensions.Item(v);
    for (const auto& value : variable->ValueCode) {
      std::string& field = fields[static_cast<std::size_t>(v - 1)].emplace_back();
      if (variable->UseCodes) {
        appendCsvField(value->code, field);
        field += ',';
      }
      appendCsvField(value->value, field);
      field += ',';
    }
  }

  bool writing = true;
  ExportWalk walk = ForEachCell(doc, grid, [&](const ExportCell& cell) {
    for (std::size_t v = 0; v < fields.size(); ++v) {
      out += fields[v][static_cast<std::size_t>(cell.values[v])];
    }
    const bool number = cell.kind == ExportCell::Kind::Number;
    if (number) out += cell.text;
    out += ',';
    if (!number) appendCsvField(cell.text, out);
    out += "\r\n";
    if (out.size() < kPiece) return true;
    writing = write(out);
    out.clear();
    return writing;
  });
  if (writing && !out.empty()) write(out);
  return walk;
}

}  // namespace zendra
