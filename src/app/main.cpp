// zendra: the desktop editor for statistical tables.
#include <QApplication>
#include <QStringList>

#include "app/mdi_form.h"
#include "editor/cell_commands.h"
#include "editor/ui/frm_create_vq.h"
#include "gui/app_context.h"

namespace {

// For the test of a killed program only: ZENDRA_TEST_TYPE=TEXT types TEXT into the first
// data cell of the window opened last, as one step, so that the table counts as changed
// and its recovery copy gets written. While it is set, every message is answered with
// OK at once (nobody is there to press it). Not for users; it does nothing when unset.
bool testHook() {
  return !qEnvironmentVariableIsEmpty("ZENDRA_TEST_TYPE");
}

void typeForTest(zendra::MDIForm1& window) {
  const QByteArray text = qgetenv("ZENDRA_TEST_TYPE");
  if (!testHook() || window.editors().isEmpty()) return;
  zendra::frmCreateVq* editor = window.editors().last();
  zendra::VexaMess& doc = editor->document();
  if (!doc.GridCreated) return;
  editor->push(std::make_unique<zendra::EditCellCommand>(doc, editor->dataGrid(), doc.DataRow1,
                                                         doc.DataCol1, text.toStdString()));
  editor->refreshDataGrid();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Zendra");

  zendra::AppContext context;
  zendra::QtPrompt prompt;
  zendra::ScriptedPrompt answerOk;
  zendra::QtFileChooser files;
  context.prompt = testHook() ? static_cast<zendra::Prompt*>(&answerOk) : &prompt;
  context.files = &files;
  context.programFolder = zendra::stdString(QCoreApplication::applicationDirPath());

  zendra::MDIForm1 window(context);
  prompt.setParent(&window);
  window.show();
  QStringList paths = QCoreApplication::arguments();
  paths.removeFirst();
  window.startUp(paths);
  typeForTest(window);
  return app.exec();
}
