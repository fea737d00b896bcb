// zendra: the desktop editor for statistical tables.
#include <QApplication>
#include <QStringList>

#include "gui/app_context.h"
#include "app/mdi_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Zendra");

  zendra::AppContext context;
  zendra::QtPrompt prompt;
  zendra::QtFileChooser files;
  context.prompt = &prompt;
  context.files = &files;
  context.programFolder = zendra::stdString(QCoreApplication::applicationDirPath());

  zendra::MDIForm1 window(context);
  prompt.setParent(&window);
  window.show();
  QStringList paths = QCoreApplication::arguments();
  paths.removeFirst();
  window.startUp(paths);
  return app.exec();
}
