#pragma once

class QWidget;

namespace zendra {

class EditorContext;

// The Edit menu's steps on the data grid as a whole: "Clear all data", "Delete current
// row", "Fill empty cells" (with dlgFillEmpty) and the conversion to the keys form, each
// with the questions it asks first and ending in one step of the window's history.
class DataFlow {
 public:
  DataFlow(EditorContext& editor, QWidget& window) : editor_(editor), window_(window) {}

  void clearAllData();
  void deleteCurrentRow();
  void fillEmptyCells();
  // True when the table was converted: the pages and menus then follow the keys form.
  bool convertToKeys();

 private:
  EditorContext& editor_;
  QWidget& window_;
};

}  // namespace zendra
