#include "import/ui/database_chooser.h"

#include <QApplication>

#include "format/reader.h"
#include "gui/app_context.h"
#include "gui/gui_services.h"
#include "import/database/any_database.h"

namespace zendra {

namespace {

// The filter keeps the described Access entry and offers SQLite database files beside it.
constexpr const char* kDatabaseFilter =
    "Microsoft Accees database |*.mdb|SQLite database|*.sqlite;*.sqlite3;*.db|All-files|*.*";

// Opens path with a new object that replaces the program's database only once the file
// is open, so a failed open leaves no half-set name behind; the user is told why it failed.
clsAnyDatabase* openAsProgramDatabase(AppContext& app, const std::string& path) {
  clsAnyDatabase* current = app.database.get();
  auto opened = makeDatabase(databaseKindOf(path));
  opened->setDBPath(current ? current->DBPath() : app.settings.MDBBase);
  opened->setDbName(path);
  opened->setPrompt(app.prompt);
  DbResult result;
  {
    const WaitCursor wait;
    result = opened->OpenDB();
  }
  if (!result) {
    app.variableSources.lastDatabaseName.clear();
    app.prompt->message("Not a microsoft access db (or too high a version)\n" + result.error,
                        kProgramTitle, Prompt::Icon::Critical);
    return nullptr;
  }
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
  return openAsProgramDatabase(app, path);
}

clsAnyDatabase* lastDatabase(AppContext& app) {
  clsAnyDatabase* current = app.database.get();
  if (!current) return nullptr;
  if (current->isOpen() && !current->fileChanged()) return current;
  // The file may even have been replaced by a database of the other kind.
  return openAsProgramDatabase(app, current->dbName());
}

}  // namespace zendra
