#include "gui/editor/export_flow.h"

#include <QFileInfo>
#include <QString>
#include <string>

#include "core/base/file_io.h"
#include "core/export/csv_export.h"
#include "core/export/json_stat_export.h"
#include "core/export/xlsx_export.h"
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
  const QString extension = QFileInfo(chosen).suffix().toLower();
  if (extension != "csv" && extension != "xlsx" && extension != "json") {
    ctx.prompt->message("Give the file the extension .csv, .xlsx or .json: it tells the format.",
                        kProgramTitle, Prompt::Icon::Exclamation);
    return;
  }
  const std::string path = stdString(chosen);
  std::string error;
  bool written = false;
  RunInBackground(&window_, *ctx.prompt, "Exporting", [&](Prompt& prompt) {
    if (extension == "xlsx") {
      written = WriteXlsx(doc, grid, path, error, [&] { return !prompt.cancelled(); });
      return;
    }
    written = writeFileAtomically(
        path,
        [&](const PieceWriter& write) {
          const PieceWriter stoppable = [&](std::string_view piece) {
            return !prompt.cancelled() && write(piece);
          };
          if (extension == "csv") {
            WriteTidyCsv(doc, grid, {}, stoppable);
          } else {
            WriteJsonStat(doc, grid, stoppable);
          }
          return !prompt.cancelled();
        },
        error);
  });
  // A Cancel leaves the earlier file, and needs no message.
  if (!written && error != "Cancelled") {
    ctx.prompt->message(error, kProgramTitle, Prompt::Icon::Critical);
  }
}

}  // namespace zendra
