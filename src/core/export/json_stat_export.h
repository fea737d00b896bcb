#pragma once

#include <functional>
#include <string_view>

#include "core/export/table_cells.h"

namespace zendra {

// Writes a table as a JSON-stat 2.0 dataset: label (the title), source, updated (the
// content's LAST-UPDATED as ISO 8601), id and size in stub-then-heading order, role.time
// and role.metric, every dimension with its categories (codes where the variable has
// codes, else the value texts) and their labels, units of the content variable's values,
// value (row-major, null for a missing cell; for the keys form an object keyed by
// position), status for symbol cells, notes, and the rest of the metadata under
// extension. The cells go to write in pieces of about a megabyte as they are walked.
ExportWalk WriteJsonStat(const VexaMess& doc, const CellGrid& grid,
                         const std::function<bool(std::string_view)>& write);

}  // namespace zendra
