#pragma once

#include <QString>

namespace zendra {

struct AppContext;

// The folder of the data files that ship with the program (the default data
// "default_data.ini" and the subject area library "Amnomr.dat"): $ZENDRA_DATA_DIR when set
// (the tests point it at a folder of their own), else the installed folder beside the
// manual (<prefix>/share/zendra for <prefix>/bin/zendra), else the source tree's data/ of
// the build. Empty when none holds them.
QString locateShippedData(const QString& programFolder);

// Tells the settings and the subject areas where the shipped files are, so that they
// are read when the user has named no file of their own.
void useShippedData(AppContext& app, const QString& folder);

}  // namespace zendra
