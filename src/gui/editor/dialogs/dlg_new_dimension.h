#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

#include "core/model/vexa_mess.h"

class QButtonGroup;

namespace Ui {
class dlgNewDimension;
}

namespace zendra {

class Prompt;

// Asks where a new stub or heading variable comes from: a table file, a database, the
// default data, a new name, or again the table file or database used last. The dialog
// only chooses; the caller fetches and places the variable.
//
// Each time it is shown, no source is chosen and returncode is kCancelled, so the answer
// of an earlier use can never act again. OK is enabled once a source is chosen. With
// kNewByName, OK closes only for a name the document does not use yet and name then
// holds it without surrounding blanks; with every other source name is empty.
class dlgNewDimension : public QDialog {
  Q_OBJECT

 public:
  static constexpr std::int16_t kCancelled = -1;
  static constexpr std::int16_t kNewByName = 0;
  static constexpr std::int16_t kFromFile = 1;
  static constexpr std::int16_t kFromDatabase = 2;
  static constexpr std::int16_t kFromDefaultData = 3;
  static constexpr std::int16_t kFromSourceTable = 5;
  static constexpr std::int16_t kFromLastDatabase = 6;

  // What the program offers besides a file, a database and a new name. An option without
  // its source is hidden.
  struct Sources {
    std::string lastFileName;           // of the table a variable was last copied from
    std::string lastDatabaseName;       // of the database a variable was last taken from
    bool hasStandardVariables = false;  // the default data holds at least one
  };

  dlgNewDimension(const VexaMess& VQ, const Sources& sources, Prompt& prompt,
                  QWidget* parent = nullptr);
  ~dlgNewDimension() override;

  std::int16_t returncode = kCancelled;
  std::string name;

  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void reset();
  void choose(int option);

  std::unique_ptr<Ui::dlgNewDimension> ui_;
  QButtonGroup* options_;
  const VexaMess& VQ_;
  Sources sources_;
  Prompt& prompt_;
};

}  // namespace zendra
