#pragma once

class QWidget;

namespace zendra {

class EditorContext;

// File > "Export...": the table to tidy CSV, a spreadsheet (XLSX) or JSON-stat, the format
// chosen by the file's extension in the save dialog. The file is written off the GUI
// thread with the progress window; Cancel stops it and leaves any earlier file as it was.
class ExportFlow {
 public:
  ExportFlow(EditorContext& editor, QWidget& window) : editor_(editor), window_(window) {}

  void exportTable();

 private:
  EditorContext& editor_;
  QWidget& window_;
};

}  // namespace zendra
