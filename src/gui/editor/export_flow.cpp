#include "gui/editor/export_flow.h"

#include <QFileInfo>
#include <QString>
#include <optional>
#include <string>

#include "core/export/export_table.h"
#include "core/format/reader.h"
#include "gui/editor/editor_context.h"
#include "gui/shared/app_context.h"
#include "gui/shared/background_task.h"

namespace zendra {

void ExportFlow::exportTable() {
  editor_.commitEdit();
  AppContext& ctx = editor_.app();
  const VexaMess& doc = editor_.document();
  const CellGrid& grid = editor_.dataGrid();

  FileChooser::Request request;
  request.title = "Export table";
  const QFileInfo table(qs(doc.VQfilename));
  request.folder = doc.VQfilename.empty() ? qs(ctx.settings.Savebase) : table.absolutePath();
  request.fileName = (doc.VQfilename.empty() ? qs(doc.Matrix) : table.completeBaseName()) + ".csv";
  request.filter =
      qtFilter("Tidy CSV (*.csv)|*.csv|Spreadsheet (*.xlsx)|*.xlsx|JSON-stat (*.json)|*.json");
  request.confirmOverwrite = true;
  const QString chosen = ctx.files->saveFile(&window_, request);
  if (chosen.isEmpty()) return;
  const std::string path = stdString(chosen);
  const std::optional<ExportFormat> format = ExportFormatOf(path);
  if (!format) {
    ctx.prompt->message("Give the file the extension .csv, .xlsx or .json: it tells the format.",
                        kProgramTitle, Prompt::Icon::Exclamation);
    return;
  }
  std::string error;
  bool written = false;
  RunInBackground(&window_, *ctx.prompt, "Exporting", [&](Prompt& prompt) {
    written =
        ExportTable(doc, grid, *format, path, false, error, [&] { return !prompt.cancelled(); });
  });
  // A Cancel leaves the earlier file, and needs no message.
  if (!written && error != "Cancelled") {
    ctx.prompt->message(error, kProgramTitle, Prompt::Icon::Critical);
  }
}

}  // namespace zendra
