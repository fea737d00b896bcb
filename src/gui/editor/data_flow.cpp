#include "gui/editor/data_flow.h"

#include <QApplication>
#include <QString>
#include <cstdint>
#include <string>

#include "core/editor/cell_commands.h"
#include "core/editor/fill_commands.h"
#include "core/editor/keys_conversion.h"
#include "core/format/completeness.h"
#include "core/format/data_builder.h"
#include "core/format/reader.h"
#include "gui/editor/dialogs/dlg_fill_empty.h"
#include "gui/editor/editor_context.h"
#include "gui/shared/app_context.h"

namespace zendra {

void DataFlow::clearAllData() {
  editor_.commitEdit();
  editor_.push(std::make_unique<ClearAllDataCommand>(editor_.document(), editor_.dataGrid(),
                                                     editor_.app().ShowCodes));
  editor_.refreshDataGrid();
}

void DataFlow::deleteCurrentRow() {
  editor_.commitEdit();
  VexaMess& doc = editor_.document();
  CellGrid& grid = editor_.dataGrid();
  const std::int32_t row = grid.currentRow();
  if (row < doc.DataRow1 || row < 1) return;
  // The keys form's empty entry row stays: the rows above it are the table's.
  if (doc.FileWithKeys && row == grid.rowCount()) return;
  editor_.push(std::make_unique<DeleteRowCommand>(doc, grid, row));
  editor_.refreshDataGrid();
}

void DataFlow::fillEmptyCells() {
  editor_.commitEdit();
  VexaMess& doc = editor_.document();
  CellGrid& grid = editor_.dataGrid();
  AppContext& ctx = editor_.app();
  // Without a laid-out grid there are no cells to fill: the user is told what the table
  // still lacks, as the Test page tells it, instead of a dialog whose OK could do nothing.
  if (!doc.GridCreated) {
    QString missing = qs(Test_Complete(doc, &grid));
    ctx.prompt->message(stdString(missing.remove('\r')), kProgramTitle,
                        Prompt::Icon::Exclamation);
    return;
  }
  // The check finds the missing and invalid cells and paints the faulty ones.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  DataCheck check;
  GetDataMod::BuildDataText(doc, grid, check);
  QApplication::restoreOverrideCursor();
  editor_.refreshDataGrid();
  if (!check.DataMissing && !check.InvalidData) {
    ctx.prompt->message("All cells are filled", kProgramTitle, Prompt::Icon::Information);
    return;
  }
  dlgFillEmpty dialog(check.DataMissing, check.InvalidData, &window_);
  ctx.runDialog(dialog);
  if (dialog.RetCode != 1) return;
  editor_.push(std::make_unique<FillEmptyCommand>(doc, grid, dialog.fillEmpty(),
                                                  dialog.fillInvalid(), dialog.Fill));
  editor_.refreshDataGrid();
}

bool DataFlow::convertToKeys() {
  editor_.commitEdit();
  VexaMess& doc = editor_.document();
  CellGrid& grid = editor_.dataGrid();
  AppContext& ctx = editor_.app();
  if (doc.FileWithKeys || !doc.GridCreated) return false;
  const auto answer = ctx.prompt->ask("Keep head dimensions", kProgramTitle,
                                      Prompt::Buttons::YesNoCancel, Prompt::Icon::Question);
  if (answer != Prompt::Answer::Yes && answer != Prompt::Answer::No) return false;
  const bool keepHeading = answer == Prompt::Answer::Yes;
  // The keys form keeps only numbers other than 0: the user decides about the rest.
  const std::int64_t dropped = CellsNotKeptByKeysConversion(doc, grid, keepHeading);
  if (dropped > 0) {
    const std::string count = dropped == 1 ? std::string("1 non-empty cell")
                                           : std::to_string(dropped) + " non-empty cells";
    const std::string why =
        keepHeading ? "only the rows that hold a number other than 0 are kept."
                    : "only numbers other than 0 are kept; zeros, symbols such as \"..\" and "
                      "other texts are not.";
    const std::string question =
        count + " will" + " not be kept in the keys form: " + why + "\n\nConvert to Keys format?";
    if (ctx.prompt->ask(question, kProgramTitle, Prompt::Buttons::YesNo, Prompt::Icon::Question) !=
        Prompt::Answer::Yes) {
      return false;
    }
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  editor_.push(std::make_unique<ConvertToKeysCommand>(doc, grid, keepHeading, ctx.ShowCodes));
  QApplication::restoreOverrideCursor();
  editor_.refreshDataGrid();
  return true;
}

}  // namespace zendra
