#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

enum class ExportFormat { Csv, Xlsx, JsonStat };

// The format a file's extension stands for: .csv, .xlsx or .json in any letter case.
std::optional<ExportFormat> ExportFormatOf(const std::filesystem::path& file);

// Writes the table to path in format, beside it and renamed over it, so a failure leaves
// the old file. keepGoing is asked as the cells are written; false stops and error is
// "Cancelled". bom: CSV only.
bool ExportTable(const VexaMess& doc, const CellGrid& grid, ExportFormat format,
                 const std::filesystem::path& path, bool bom, std::string& error,
                 const std::function<bool()>& keepGoing = {});

}  // namespace zendra
