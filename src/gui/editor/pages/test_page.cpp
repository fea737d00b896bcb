#include "gui/editor/pages/test_page.h"

#include "core/format/completeness.h"
#include "gui/shared/gui_services.h"
#include "core/model/vexa_mess.h"
#include "ui_test_page.h"

namespace zendra {

TestPage::TestPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::TestPage>()) {
  ui_->setupUi(this);
}

TestPage::~TestPage() = default;

void TestPage::shown() {
  editor_.sortKeysRows();
  ui_->txtTestData->setPlainText(
      qs(Test_Complete(editor_.document(), &editor_.dataGrid())).remove('\r'));
  editor_.refreshDataGrid();  // the test sorts keys-form rows and paints faulty cells
}

}  // namespace zendra
