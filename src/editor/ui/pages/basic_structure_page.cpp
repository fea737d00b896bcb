#include "editor/ui/pages/basic_structure_page.h"

#include "model/vexa_mess.h"
#include "ui_basic_structure_page.h"

namespace zendra {

BasicStructurePage::BasicStructurePage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::BasicStructurePage>()) {
  ui_->setupUi(this);
}

BasicStructurePage::~BasicStructurePage() = default;

void BasicStructurePage::load() {
  const LoadGuard guard(*this);
  ui_->lblKeys->setText(editor_.document().FileWithKeys ? "File with Keys" : "Normal file");
}

bool BasicStructurePage::saveAsAnsi() const {
  return ui_->chkAnsi->isChecked();
}

}  // namespace zendra
