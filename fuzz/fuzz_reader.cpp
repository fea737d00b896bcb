// Any bytes as a table file: the reader never crashes, hangs or reads out of bounds,
// whether it loads cells or keeps the data as text, and the document stays consistent.
// The grid's cap is small, so inputs also reach the fallback to metadata only.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/format/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const bool metaOnly : {false, true}) {
    zendra::VexaMess doc;
    zendra::CellGrid grid;
    grid.setMaxCells(1'000'000);  // a fuzz input may declare huge tables
    grid.setDecimalChar(size % 2 ? "," : ".");
    zendra::ScriptedPrompt prompt(size % 3 ? zendra::Prompt::Answer::No
                                           : zendra::Prompt::Answer::Yes);
    doc.SprData = &grid;
    zendra::LoadReport report;
    zendra::Load_From_Text(doc, bytes, metaOnly, &grid, prompt, size % 5 == 0, {}, &report);
    if (doc.Dimensions.Count() != doc.colStub.Count() + doc.colHeading.Count()) std::abort();
    // Cells kept as text leave nothing half-loaded in the grid.
    if (!report.keptAsText.empty() && (!doc.MetadataOnly || doc.HasData || grid.rowCount() != 0)) {
      std::abort();
    }
    if (doc.HasData && (grid.rowCount() < doc.DataRow1 || grid.colCount() < doc.DataCol1)) {
      std::abort();
    }
  }
  return 0;
}
