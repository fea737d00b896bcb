#pragma once

#include <QString>
#include <optional>
#include <string>

#include "core/import/text_import.h"

class QWidget;

namespace zendra {

class EditorContext;

// The ways cells come into an editor window's grid from outside: "Load data from
// .txt-file (csv)", the import wizard ("Get data from external file") and "Create table
// from Acces-table". Each ends in one step of the window's history, with the progress
// window and Cancel while the file or the database is read.
class ImportFlow {
 public:
  ImportFlow(EditorContext& editor, QWidget& window) : editor_(editor), window_(window) {}

  // A text file, then dlgCSVLoad.
  void loadFromCsv();
  // A text file, then the import wizard; its log is shown as the text import shows it.
  void getExternalData();
  // A database, then dlgMakeTableFromMDB; its Finish is one step.
  void createFromMdb();
  // Imports a text file's cells as one step, reading the file as it goes; the log comes
  // back. The two text imports both end here.
  TextImportResult importText(const QString& path, TextImportSettings settings);

 private:
  // A text file to import, chosen in the folder of the last one, with its first lines
  // (at most a megabyte) for the dialogs; none when the user cancelled or the file could
  // not be read (the user was told).
  struct TextFile {
    QString path;
    std::string head;
  };
  std::optional<TextFile> chooseTextFile();

  EditorContext& editor_;
  QWidget& window_;
};

}  // namespace zendra
