// zendra: the desktop editor for statistical tables.
#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

#include "app/dlg_about.h"
#include "app/mdi_form.h"
#include "gui/app_context.h"
#include "gui/help_window.h"

namespace {

void describe(QCommandLineParser& parser) {
  parser.setApplicationDescription("Zendra: an editor for statistical tables stored as VQ files.");
  // Qt's own help option would add --help-all, which needs the application object.
  parser.addOption(QCommandLineOption({"h", "help"}, "Displays this help."));
  parser.addVersionOption();
  parser.addPositionalArgument("files", "VQ files to open, each in its own window.", "[FILE...]");
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
  zendra::QtFileChooser files;
  context.prompt = &prompt;
  context.files = &files;
  context.manualFolder =
      zendra::stdString(zendra::locateManual(QCoreApplication::applicationDirPath()));

  zendra::MDIForm1 window(context);
  prompt.setParent(&window);
  window.show();
  window.startUp(parser.positionalArguments());
  return app.exec();
}
