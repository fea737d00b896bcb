#pragma once

#include <memory>

#include "gui/editor/pages/editor_page.h"

namespace Ui {
class TestPage;
}

namespace zendra {

// "&Test": what the completeness test says about the table now.
class TestPage : public EditorPage {
 public:
  TestPage(EditorContext& editor, QWidget* parent);
  ~TestPage() override;

  void shown() override;

 private:
  std::unique_ptr<Ui::TestPage> ui_;
};

}  // namespace zendra
