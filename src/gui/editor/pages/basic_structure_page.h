#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "gui/editor/pages/editor_page.h"

class QComboBox;
class QListWidget;

namespace Ui {
class BasicStructurePage;
}

namespace zendra {

class DimensionData;
class clsAnyDatabase;
class SubjectAreas;

// "Bas&ic structure": the table's names, subject area, contents, language, decimals,
// description, info file and flags, how the file is saved, and the stub and heading with
// the buttons that add, remove and reorder their variables.
class BasicStructurePage : public EditorPage {
 public:
  BasicStructurePage(EditorContext& editor, QWidget* parent);
  ~BasicStructurePage() override;

  void load() override;
  void shown() override;
  // "Save as ANSI": the file is written in the ANSI code page with a CHARSET line.
  bool saveAsAnsi() const;
  // Shows the structure buttons the table allows now: while the grid holds data only the
  // two "Add Dimension" buttons (a one-valued variable keeps every cell), else the add,
  // remove and reorder buttons, a reorder button enabled for two variables or more.
  void arrangeStructure();

  // Longest CONTENTS the table viewer takes; a longer text is kept but shown as too long.
  static constexpr int kContentsLimit = 70;

 private:
  void bindTexts();
  void bindCheckBoxes();
  void chooseDecimals(int index);
  void chooseShowDecimals(int index);
  void getSubjectArea();
  void showContentsLength();
  void showDescription(bool visible);
  void showInfofile(bool visible);
  void fillDecimals();
  void fillShowDecimals();

  // The stub (side 0) and heading controls.
  void fillStructureLists();
  QListWidget* list(std::int32_t side) const;
  bool confirmDataLoss();
  void addVariable(std::int32_t side);
  void removeVariable(std::int32_t side);
  void reorderVariables(std::int32_t side);
  void addOneValuedVariable(std::int32_t side);
  // Places a copy of source on the side; a name in use is told and nothing changes.
  void placeCopy(std::int32_t side, const DimensionData& source);
  // Reads a table chosen by the user into the program-wide source table; false when
  // none was chosen or it could not be read (the user was told).
  bool readSourceTable();
  void copyFromSourceTable(std::int32_t side);
  void copyStandardVariable(std::int32_t side);
  // Builds a variable from a code table of db (none: nothing happens) and places it.
  void takeFromDatabase(std::int32_t side, clsAnyDatabase* db);
  // Pushes a step that changes the stub or heading, or tells its refusal; then refills.
  template <typename Step>
  void pushStructureStep(std::unique_ptr<Step> step);

  std::unique_ptr<Ui::BasicStructurePage> ui_;
  SubjectAreas& subjectAreas_;
  std::size_t subjectAreasConnection_ = 0;
};

}  // namespace zendra
