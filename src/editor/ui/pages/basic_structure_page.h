#pragma once

#include <cstddef>
#include <memory>

#include "editor/ui/pages/editor_page.h"

class QComboBox;

namespace Ui {
class BasicStructurePage;
}

namespace zendra {

class SubjectAreas;

// "Bas&ic structure": the table's names, subject area, contents, language, decimals,
// description, info file and flags, and how the file is saved.
class BasicStructurePage : public EditorPage {
 public:
  BasicStructurePage(EditorContext& editor, QWidget* parent);
  ~BasicStructurePage() override;

  void load() override;
  void shown() override;
  // "Save as ANSI": the file is written in the ANSI code page with a CHARSET line.
  bool saveAsAnsi() const;

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

  std::unique_ptr<Ui::BasicStructurePage> ui_;
  SubjectAreas& subjectAreas_;
  std::size_t subjectAreasConnection_ = 0;
};

}  // namespace zendra
