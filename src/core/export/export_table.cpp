#include "core/export/export_table.h"

#include "core/base/file_io.h"
#include "core/export/csv_export.h"
#include "core/export/json_stat_export.h"
#include "core/export/xlsx_export.h"
#include "core/model/text_compare.h"

namespace zendra {

std::optional<ExportFormat> ExportFormatOf(const std::filesystem::path& file) {
  const std::string extension = file.extension().string();
  if (equalsIgnoringCase(extension, ".csv")) return ExportFormat::Csv;
  if (equalsIgnoringCase(extension, ".xlsx")) return ExportFormat::Xlsx;
  if (equalsIgnoringCase(extension, ".json")) return ExportFormat::JsonStat;
  return std::nullopt;
}

bool ExportTable(const VexaMess& doc, const CellGrid& grid, ExportFormat format,
                 const std::filesystem::path& path, bool bom, std::string& error,
                 const std::function<bool()>& keepGoing) {
  if (format == ExportFormat::Xlsx) return WriteXlsx(doc, grid, path, error, keepGoing);
  return writeFileAtomically(
      path,
      [&](const PieceWriter& write) {
        const PieceWriter stoppable = [&](std::string_view piece) {
          return (!keepGoing || keepGoing()) && write(piece);
        };
        if (format == ExportFormat::Csv) {
          WriteTidyCsv(doc, grid, {.bom = bom}, stoppable);
        } else {
          WriteJsonStat(doc, grid, stoppable);
        }
        return !keepGoing || keepGoing();
      },
      error);
}

}  // namespace zendra
