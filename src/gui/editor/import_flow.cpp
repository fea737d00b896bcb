#include "gui/editor/import_flow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <memory>
#include <utility>

#include "core/editor/database_import_command.h"
#include "core/editor/import_command.h"
#include "gui/editor/editor_context.h"
#include "core/format/reader.h"
#include "gui/shared/app_context.h"
#include "gui/shared/frm_progress.h"
#include "gui/database/database_chooser.h"
#include "gui/import/dlg_csv_load.h"
#include "gui/import/dlg_data_file_format.h"
#include "gui/database/dlg_make_table_from_mdb.h"
#include "core/model/vexa_mess.h"

namespace zendra {

std::optional<ImportFlow::TextFile> ImportFlow::chooseTextFile() {
  editor_.commitEdit();
  if (!editor_.document().GridCreated) return std::nullopt;
  AppContext& ctx = editor_.app();
  FileChooser::Request request;
  request.title = "Select text-file";
  request.filter = qtFilter("Text-files|*.txt;*.csv|All-files|*.*");
  request.mustExist = true;
  request.folder = QString::fromStdString(ctx.registry.readCsvLoad());
  const QString path = ctx.files->openFile(&window_, request);
  if (path.isEmpty()) return std::nullopt;
  TextHead head = ReadTextHead(path.toStdString());
  if (!head.ok) {
    ctx.prompt->message(head.error, kProgramTitle, Prompt::Icon::Critical);
    return std::nullopt;
  }
  // The next text file is looked for where this one was.
  if (!ctx.registry.writeCsvLoad(QFileInfo(path).absolutePath().toStdString())) {
    ctx.prompt->message(ctx.registry.error(), kProgramTitle, Prompt::Icon::Exclamation);
  }
  return TextFile{path, std::move(head.text)};
}

void ImportFlow::loadFromCsv() {
  auto file = chooseTextFile();
  if (!file) return;
  dlgCSVLoad dialog(file->head, editor_.document(), QLocale().decimalPoint(), &window_);
  dialog.load = [this, &file](const TextImportSettings& settings) {
    return importText(file->path, settings);
  };
  editor_.app().runDialog(dialog);
}

TextImportResult ImportFlow::importText(const QString& path, TextImportSettings settings) {
  editor_.commitEdit();
  TextImportResult result;
  if (!editor_.document().GridCreated) return result;
  frmProgress progress(&window_);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setMaximum(QFileInfo(path).size());
  progress.show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto step = std::make_unique<ImportTextCommand>(editor_.document(), editor_.dataGrid(),
                                                  TextSource::ofFile(path.toStdString()),
                                                  std::move(settings));
  step->progress = [&progress](std::size_t done, std::size_t) {
    progress.TestNew(static_cast<qint64>(done));
    QCoreApplication::processEvents();
    return progress.cancel == 0;
  };
  step->finished = [&result](const TextImportResult& done) { result = done; };
  editor_.push(std::move(step));
  QApplication::restoreOverrideCursor();
  progress.close();
  editor_.refreshDataGrid();
  return result;
}

void ImportFlow::getExternalData() {
  auto file = chooseTextFile();
  if (!file) return;
  // The wizard looks only at the first lines.
  dlgDataFileFormat wizard(std::move(file->head), editor_.document(), &window_,
                           QLocale().decimalPoint());
  editor_.app().runDialog(wizard);
  if (!wizard.format()) return;
  // The wizard's layout goes through the same import, and its log is shown as the text
  // import shows it.
  const TextFileFormat& format = *wizard.format();
  TextImportSettings settings;
  settings.separator = format.separator;
  settings.textDelimiter = format.textDelimiter;
  // The decimal point and the first line as chosen, as "Import data from textfile" takes them.
  settings.decimalPoint = wizard.decimalPoint();
  settings.localeDecimal = QString(QLocale().decimalPoint()).toStdString();
  settings.skipFirst = wizard.skipFirst();
  settings.layout = format.layout;
  const TextImportResult result = importText(file->path, std::move(settings));
  dlgCSVLoad log({}, editor_.document(), QLocale().decimalPoint(), &window_);
  log.showLog(result);
  editor_.app().runDialog(log);
}

void ImportFlow::createFromMdb() {
  editor_.commitEdit();
  VexaMess& doc = editor_.document();
  if (!doc.GridCreated) return;
  AppContext& ctx = editor_.app();
  clsAnyDatabase* db = chooseDatabase(ctx, &window_);
  if (!db) return;
  dlgMakeTableFromMDB wizard(*db, doc, editor_.dataGrid(), *ctx.prompt, &window_);
  wizard.finish = [this, &doc, &ctx](DbPlacement placement) {
    const bool keysRows = placement.keysForm && placement.filledRows > 0;
    editor_.push(
        std::make_unique<DatabaseImportCommand>(doc, editor_.dataGrid(), std::move(placement)));
    editor_.refreshDataGrid();
    // Only the keys form's new rows can fail (memory); then nothing was placed.
    if (keysRows && !doc.GridHasData) {
      ctx.prompt->message("Not enough memory for the rows of the query; nothing was placed",
                          kProgramTitle, Prompt::Icon::Exclamation);
    }
  };
  ctx.runDialog(wizard);
}

}  // namespace zendra
