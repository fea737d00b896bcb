#include "gui/database/database_chooser.h"

#include <QApplication>

#include "core/database/any_database.h"
#include "core/database/odbc_database.h"
#include "core/format/reader.h"
#include "gui/database/dlg_odbc_source.h"
#include "gui/shared/app_context.h"
#include "gui/shared/background_task.h"
#include "gui/shared/gui_services.h"

namespace zendra {

namespace {

// The filter keeps the described Access entry and offers SQLite database files beside it.
constexpr const char* kDatabaseFilter =
    "Microsoft Accees database |*.mdb|SQLite database|*.sqlite;*.sqlite3;*.db|All-files|*.*";
// The chooser's button for a server; pressing it answers the bare prefix.
constexpr const char* kServerChoice = "Server database (ODBC)...";

// The folder every new database object keeps: the program database's, else the settings'.
// A server keeps it too, so the chooser still starts where the last file was.
std::string startFolder(const AppContext& app) {
  return app.database ? app.database->DBPath() : app.settings.MDBBase;
}

// A server database's connection string (without its password), from its name.
std::string connectionOf(const clsAnyDatabase& db) {
  return db.dbName().substr(std::string_view(kOdbcPrefix).size());
}

std::unique_ptr<clsAnyDatabase> fileDatabase(const AppContext& app, const std::string& path) {
  auto db = makeDatabase(databaseKindOf(path));
  db->setDBPath(startFolder(app));
  db->setDbName(path);
  return db;
}

// Asks which server to open, connection shown first, and with which password; none when
// the user cancelled. The password goes to the object only, never into its name.
std::unique_ptr<clsAnyDatabase> serverDatabase(AppContext& app, const std::string& connection,
                                               QWidget* parent) {
  dlgOdbcSource dialog(odbc::dataSources(), connection, *app.prompt, parent);
  app.runDialog(dialog);
  if (dialog.connection.empty()) return nullptr;
  auto db = std::make_unique<clsODBC>();
  db->setDBPath(startFolder(app));
  db->setDbName(kOdbcPrefix + dialog.connection);
  // A password typed apart wins over one written in the string.
  if (!dialog.password.empty()) db->setPassword(dialog.password);
  return db;
}

// Opens a new database object that replaces the program's database only once it is open,
// so a failed open leaves no half-set name behind; the user is told why it failed. The
// catalog is read off the GUI thread, with the progress window and its Cancel.
clsAnyDatabase* openAsProgramDatabase(AppContext& app, std::unique_ptr<clsAnyDatabase> opened,
                                      QWidget* parent) {
  if (!opened) return nullptr;
  opened->setPrompt(app.prompt);
  const DbResult result =
      RunOnDatabase(parent, *app.prompt, *opened, [&opened] { return opened->OpenDB(); });
  if (!result) {
    app.variableSources.lastDatabaseName.clear();
    if (!result.cancelled) {
      app.prompt->message(std::string(OpenFailureText(opened->Kind())) + "\n" + result.error,
                          kProgramTitle, Prompt::Icon::Critical);
    }
    return nullptr;
  }
  std::size_t shown = 0;
  TellDamage(*app.prompt, *opened, shown);
  if (app.database) app.database->CloseDB();
  app.database = std::move(opened);
  // The settings' folder is where database files are; a server has none.
  if (app.database->Kind() != DatabaseKind::ODBC) app.settings.MDBBase = app.database->DBPath();
  app.variableSources.lastDatabaseName = app.database->DBFile();
  return app.database.get();
}

}  // namespace

clsAnyDatabase* chooseDatabase(AppContext& app, QWidget* parent) {
  clsAnyDatabase* current = app.database.get();
  const bool server = current && current->Kind() == DatabaseKind::ODBC;
  FileChooser::Request request;
  request.title = "Select Acces database";
  request.filter = qtFilter(kDatabaseFilter);
  request.folder = qs(startFolder(app));
  request.fileName = qs(current && !server ? current->dbName() : std::string());
  request.mustExist = true;
  request.otherChoice = kServerChoice;
  request.otherAnswer = kOdbcPrefix;
  const std::string path = stdString(app.files->openFile(parent, request));
  if (path.empty()) return nullptr;

  std::unique_ptr<clsAnyDatabase> chosen;
  if (databaseKindOf(path) == DatabaseKind::ODBC) {
    // The server dialog starts from the open server's connection, if any.
    std::string connection = path.substr(std::string_view(kOdbcPrefix).size());
    if (connection.empty() && server) connection = connectionOf(*current);
    chosen = serverDatabase(app, connection, parent);
    if (!chosen) return nullptr;
  } else {
    chosen = fileDatabase(app, path);
  }
  // The open database chosen again; names compare as the objects keep them, so a server's
  // without its password.
  if (current && current->isOpen() && chosen->dbName() == current->dbName() &&
      !current->fileChanged()) {
    return current;
  }
  return openAsProgramDatabase(app, std::move(chosen), parent);
}

clsAnyDatabase* lastDatabase(AppContext& app, QWidget* parent) {
  clsAnyDatabase* current = app.database.get();
  if (!current) return nullptr;
  if (current->isOpen() && !current->fileChanged()) return current;
  // A server that is no longer open is asked for again, password with it; a file may even
  // have been replaced by a database of the other kind.
  return openAsProgramDatabase(app,
                               current->Kind() == DatabaseKind::ODBC
                                   ? serverDatabase(app, connectionOf(*current), parent)
                                   : fileDatabase(app, current->dbName()),
                               parent);
}

}  // namespace zendra
