#include "gui/database/database_chooser.h"

#include <QApplication>

#include "core/format/reader.h"
#include "gui/shared/app_context.h"
#include "gui/shared/background_task.h"
#include "gui/shared/gui_services.h"
#include "core/database/any_database.h"

namespace zendra {

namespace {

// The filter keeps the described Access entry and offers SQLite database files beside it.
constexpr const char* kDatabaseFilter =
    "Microsoft Accees database |*.mdb|SQLite database|*.sqlite;*.sqlite3;*.db|All-files|*.*";

// Opens path with a new object that replaces the program's database only once the file
// is open, so a failed open leaves no half-set name behind; the user is told why it failed.
// The catalog is read off the GUI thread, with the progress window and its Cancel.
clsAnyDatabase* openAsProgramDatabase(AppContext& app, const std::string& path, QWidget* parent) {
  clsAnyDatabase* current = app.database.get();
  const DatabaseKind kind = databaseKindOf(path);
  auto opened = makeDatabase(kind);
  opened->setDBPath(current ? current->DBPath() : app.settings.MDBBase);
  opened->setDbName(path);
  opened->setPrompt(app.prompt);
  const DbResult result =
      RunOnDatabase(parent, *app.prompt, *opened, [&opened] { return opened->OpenDB(); });
  if (!result) {
    app.variableSources.lastDatabaseName.clear();
    if (!result.cancelled) {
      app.prompt->message(std::string(OpenFailureText(kind)) + "\n" + result.error,
                          kProgramTitle, Prompt::Icon::Critical);
    }
    return nullptr;
  }
  std::size_t shown = 0;
  TellDamage(*app.prompt, *opened, shown);
  if (current) current->CloseDB();
  app.database = std::move(opened);
  app.settings.MDBBase = app.database->DBPath();
  app.variableSources.lastDatabaseName = app.database->DBFile();
  return app.database.get();
}

}  // namespace

clsAnyDatabase* chooseDatabase(AppContext& app, QWidget* parent) {
  clsAnyDatabase* current = app.database.get();
  FileChooser::Request request;
  request.title = "Select Acces database";
  request.filter = qtFilter(kDatabaseFilter);
  request.folder = qs(current ? current->DBPath() : app.settings.MDBBase);
  request.fileName = qs(current ? current->dbName() : std::string());
  request.mustExist = true;
  const std::string path = stdString(app.files->openFile(parent, request));
  if (path.empty()) return nullptr;

  if (current && current->isOpen() && path == current->dbName() && !current->fileChanged()) {
    return current;
  }
  return openAsProgramDatabase(app, path, parent);
}

clsAnyDatabase* lastDatabase(AppContext& app, QWidget* parent) {
  clsAnyDatabase* current = app.database.get();
  if (!current) return nullptr;
  if (current->isOpen() && !current->fileChanged()) return current;
  // The file may even have been replaced by a database of the other kind.
  return openAsProgramDatabase(app, current->dbName(), parent);
}

}  // namespace zendra
