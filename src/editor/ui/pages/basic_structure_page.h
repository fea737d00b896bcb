#pragma once

#include <memory>

#include "editor/ui/pages/editor_page.h"

namespace Ui {
class BasicStructurePage;
}

namespace zendra {

// "Bas&ic structure": the file kind and how the file is saved.
class BasicStructurePage : public EditorPage {
 public:
  BasicStructurePage(EditorContext& editor, QWidget* parent);
  ~BasicStructurePage() override;

  void load() override;
  // "Save as ANSI": the file is written in the ANSI code page with a CHARSET line.
  bool saveAsAnsi() const;

 private:
  std::unique_ptr<Ui::BasicStructurePage> ui_;
};

}  // namespace zendra
