#pragma once

#include <memory>

#include "gui/editor/pages/editor_page.h"

namespace Ui {
class FileTextPage;
}

namespace zendra {

// "Actual &VQ-File": the file text as it would be written now.
class FileTextPage : public EditorPage {
 public:
  FileTextPage(EditorContext& editor, QWidget* parent);
  ~FileTextPage() override;

  void shown() override;

 private:
  std::unique_ptr<Ui::FileTextPage> ui_;
};

}  // namespace zendra
