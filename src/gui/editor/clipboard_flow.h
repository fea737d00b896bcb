#pragma once

#include <QString>

class QWidget;

namespace zendra {

class DataGridView;
class EditorContext;
class VariablesPage;

// Copy and Paste of an editor window (the Edit menu, the toolbar and the grids' keys) on
// the focused control: a text box, the data grid, the value grid or the work sheet. A
// paste into the table is one step of the window's history.
class ClipboardFlow {
 public:
  ClipboardFlow(EditorContext& editor, QWidget& window, DataGridView& data, DataGridView& work,
                VariablesPage& variables)
      : editor_(editor), window_(window), data_(data), work_(work), variables_(variables) {}

  // Whether the focused control takes a copy and a paste: what the Edit menu enables.
  bool canCopy() const;
  bool canPaste() const;
  void copy();
  void paste();

 private:
  // The focused widget when it lies in the window.
  QWidget* focusedControl() const;
  void pasteIntoDataGrid(const QString& text);

  EditorContext& editor_;
  QWidget& window_;
  DataGridView& data_;
  DataGridView& work_;
  VariablesPage& variables_;
};

}  // namespace zendra
