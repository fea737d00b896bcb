#include "gui/editor/clipboard_flow.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <memory>
#include <string>
#include <utility>

#include "core/base/counted.h"
#include "core/editor/paste_commands.h"
#include "gui/editor/data_grid_view.h"
#include "gui/editor/editor_context.h"
#include "gui/editor/pages/variables_page.h"
#include "core/format/reader.h"
#include "core/grid/clipboard_block.h"
#include "gui/shared/app_context.h"

namespace zendra {
namespace {

// The controls Copy and Paste act on.
enum class Focus { None, TextBox, DataGrid, ValueGrid, WorkGrid };

// Which control the focused widget belongs to. A grid's cell editor is part of its grid,
// but the value grid's cell editor is a text box: a paste there goes into the typed text.
Focus focusOf(const QWidget* focused, const QWidget* data, const QWidget* work) {
  if (!focused) return Focus::None;
  for (const QWidget* w = focused; w; w = w->parentWidget()) {
    if (w == data) return Focus::DataGrid;
    if (w == work) return Focus::WorkGrid;
  }
  if (qobject_cast<const QLineEdit*>(focused) || qobject_cast<const QTextEdit*>(focused) ||
      qobject_cast<const QPlainTextEdit*>(focused)) {
    return Focus::TextBox;
  }
  if (focused->objectName() == "sprValues") return Focus::ValueGrid;
  return Focus::None;
}

bool isReadOnlyBox(QWidget* box) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) return line->isReadOnly();
  if (auto* text = qobject_cast<QTextEdit*>(box)) return text->isReadOnly();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) return plain->isReadOnly();
  return true;
}

}  // namespace

QWidget* ClipboardFlow::focusedControl() const {
  QWidget* focused = QApplication::focusWidget();
  return focused && window_.isAncestorOf(focused) ? focused : nullptr;
}

bool ClipboardFlow::canCopy() const {
  return focusOf(focusedControl(), &data_, &work_) != Focus::None;
}

bool ClipboardFlow::canPaste() const {
  QWidget* focused = focusedControl();
  const Focus focus = focusOf(focused, &data_, &work_);
  // A read-only box (the file text, the test report) takes no paste.
  return focus != Focus::None && !(focus == Focus::TextBox && isReadOnlyBox(focused));
}

void ClipboardFlow::copy() {
  QWidget* focused = focusedControl();
  QClipboard* clipboard = QGuiApplication::clipboard();
  const Focus focus = focusOf(focused, &data_, &work_);
  switch (focus) {
    case Focus::TextBox:
      if (auto* line = qobject_cast<QLineEdit*>(focused)) line->copy();
      if (auto* text = qobject_cast<QTextEdit*>(focused)) text->copy();
      if (auto* plain = qobject_cast<QPlainTextEdit*>(focused)) plain->copy();
      break;
    case Focus::DataGrid:
    case Focus::WorkGrid: {
      DataGridView* view = focus == Focus::DataGrid ? &data_ : &work_;
      // A cell still being typed is copied as typed.
      if (view == &data_) editor_.commitEdit();
      clipboard->setText(
          QString::fromStdString(FormatClipboardBlock(*view->grid(), view->selectedBlock())));
      break;
    }
    case Focus::ValueGrid:
      clipboard->setText(variables_.copyValues());
      break;
    case Focus::None:
      break;
  }
}

void ClipboardFlow::paste() {
  QWidget* focused = focusedControl();
  const QString text = QGuiApplication::clipboard()->text();
  switch (focusOf(focused, &data_, &work_)) {
    case Focus::TextBox:
      // The box's own paste: its typing binding makes the step.
      if (isReadOnlyBox(focused)) {
        QApplication::beep();
      } else if (auto* line = qobject_cast<QLineEdit*>(focused)) {
        line->paste();
      } else if (auto* rich = qobject_cast<QTextEdit*>(focused)) {
        rich->paste();
      } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focused)) {
        plain->paste();
      }
      break;
    case Focus::DataGrid:
      pasteIntoDataGrid(text);
      break;
    case Focus::WorkGrid: {
      DataGridView* work = &work_;
      const Block selected = work->selectedBlock();
      if (selected.row1 == -1 || selected.col1 == -1) {
        QApplication::beep();
      } else if (!text.isEmpty()) {
        work->pasteText(text.toStdString());
      }
      break;
    }
    case Focus::ValueGrid:
      variables_.pasteValues(text);
      break;
    case Focus::None:
      QApplication::beep();
      break;
  }
}

void ClipboardFlow::pasteIntoDataGrid(const QString& text) {
  DataGridView* view = &data_;
  // A number still being typed is stored before the paste covers it.
  editor_.commitEdit();
  const Block selected = view->selectedBlock();
  if (selected.row1 == -1 || selected.col1 == -1) {
    QApplication::beep();
    return;
  }
  ClipboardBlock block = ClipboardBlock::parse(text.toStdString());
  if (block.empty()) return;
  const std::int32_t rows = selected.row2 - selected.row1 + 1;
  const std::int32_t cols = selected.col2 - selected.col1 + 1;
  if (!(rows == 1 && cols == 1) && (rows != block.rows() || cols != block.columns())) {
    const std::string question =
        "Selected area does not fit clipboard \nSelected : " + std::to_string(rows) + " Rows " +
        std::to_string(cols) + " Columns\nClipboard: " + std::to_string(block.rows()) + " Rows " +
        std::to_string(block.columns()) + " Columns\nContinue?";
    if (editor_.app().prompt->ask(question, kProgramTitle, Prompt::Buttons::YesNo,
                                  Prompt::Icon::Question) != Prompt::Answer::Yes) {
      return;
    }
  }
  auto step = std::make_unique<PasteCellsCommand>(editor_.document(), editor_.dataGrid(), selected,
                                                  std::move(block));
  const std::int32_t leftOutRows = step->leftOutRows();
  const std::int32_t leftOutCols = step->leftOutCols();
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    editor_.push(std::move(step));
    editor_.refreshDataGrid();
    QApplication::restoreOverrideCursor();
  }
  if (leftOutRows > 0 || leftOutCols > 0) {
    // Only what was left out is named, each count with its noun in its number.
    std::string leftOut;
    if (leftOutRows > 0) leftOut = Counted(leftOutRows, "row", "rows");
    if (leftOutCols > 0) {
      leftOut += (leftOut.empty() ? "" : " and ") + Counted(leftOutCols, "column", "columns");
    }
    const bool one = (leftOutRows == 0 || leftOutCols == 0) && leftOutRows + leftOutCols == 1;
    editor_.app().prompt->message("Only data cells take a paste: " + leftOut +
                                      " of the clipboard " + (one ? "was" : "were") + " left out.",
                                  kProgramTitle, Prompt::Icon::Information);
  }
}

}  // namespace zendra
