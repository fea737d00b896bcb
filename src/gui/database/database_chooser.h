#pragma once

class QWidget;

namespace zendra {

class clsAnyDatabase;
struct AppContext;

// Lets the user choose a database file ("Select Acces database"), or a server through the
// chooser's "Server database (ODBC)..." and dlgOdbcSource, and opens it as the program's
// database. The same file again keeps the open database unless the file was changed on
// disk meanwhile, when it is opened anew; the same server connection keeps the open one.
// Returns the open database, or null when the user cancelled or it could not be opened
// (the user was told why; the program's database is then the one it was before).
clsAnyDatabase* chooseDatabase(AppContext& app, QWidget* parent);

// The program's database, for another use without choosing it again: as it is, or opened
// anew when its file changed on disk meanwhile (a server no longer open is asked for
// again with dlgOdbcSource). Null when there is none or it cannot be opened again (the
// user was told why, as by chooseDatabase).
clsAnyDatabase* lastDatabase(AppContext& app, QWidget* parent = nullptr);

}  // namespace zendra
