// zendra: the desktop editor for statistical tables.
#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

#include "gui/app/dlg_about.h"
#include "gui/app/mdi_form.h"
#include "core/editor/cell_commands.h"
#include "gui/editor/frm_create_vq.h"
#include "gui/shared/app_context.h"
#include "gui/shared/help_window.h"
#include "gui/shared/shipped_data.h"

namespace {

void describe(QCommandLineParser& parser) {
  parser.setApplicationDescription("Zendra: an editor for statistical tables stored as VQ files.");
  // Qt's own help option would add --help-all, which needs the application object.
  parser.addOption(QCommandLineOption({"h", "help"}, "Displays this help."));
  parser.addVersionOption();
  parser.addPositionalArgument("files", "VQ files to open, each in its own window.", "[FILE...]");
}

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
  QCoreApplication::setApplicationName("zendra");
  QCoreApplication::setApplicationVersion(
      zendra::versionText(zendra::kVersionMajor, zendra::kVersionMinor, zendra::kVersionRevision)
          .mid(QString("Version ").size()));

  // --help and --version are answered before the application object exists: they need no
  // display and touch no configuration. Qt's own options (-platform ...) are unknown here
  // and passed over; the full check follows once Qt has taken its options out.
  {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser early;
    describe(early);
    early.parse(arguments);
    if (early.isSet("help")) {
      // Without an application object the usage line has no program name.
      std::fputs(qPrintable(early.helpText().replace("<executable_name>", "zendra")), stdout);
      return 0;
    }
    if (early.isSet("version")) {
      std::printf("zendra %s\n", qPrintable(QCoreApplication::applicationVersion()));
      return 0;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Zendra");
  QCommandLineParser parser;
  describe(parser);
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "zendra: %s\n", qPrintable(parser.errorText()));
    return 1;
  }

  zendra::AppContext context;
  zendra::QtPrompt prompt;
  zendra::ScriptedPrompt answerOk;
  zendra::QtFileChooser files;
  context.prompt = testHook() ? static_cast<zendra::Prompt*>(&answerOk) : &prompt;
  context.files = &files;
  context.manualFolder =
      zendra::stdString(zendra::locateManual(QCoreApplication::applicationDirPath()));
  zendra::useShippedData(context,
                         zendra::locateShippedData(QCoreApplication::applicationDirPath()));

  zendra::MDIForm1 window(context);
  prompt.setParent(&window);
  window.show();
  window.startUp(parser.positionalArguments());
  typeForTest(window);
  return app.exec();
}
