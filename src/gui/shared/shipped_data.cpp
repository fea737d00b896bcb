#include "gui/shared/shipped_data.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "gui/shared/app_context.h"
#include "gui/shared/gui_services.h"

namespace zendra {

namespace {

constexpr const char* kDefaultDataFile = "default_data.ini";
constexpr const char* kLibraryFile = "Amnomr.dat";

}  // namespace

QString locateShippedData(const QString& programFolder) {
  const QString fromEnvironment = qEnvironmentVariable("ZENDRA_DATA_DIR");
  if (!fromEnvironment.isEmpty()) return fromEnvironment;
  QStringList folders{QDir::cleanPath(programFolder + "/../share/zendra")};
#ifdef ZENDRA_SOURCE_DATA_DIR
  folders << QStringLiteral(ZENDRA_SOURCE_DATA_DIR);
#endif
  for (const QString& folder : folders) {
    if (QFileInfo::exists(folder + "/" + kDefaultDataFile)) return folder;
  }
  return {};
}

void useShippedData(AppContext& app, const QString& folder) {
  const auto existing = [&folder](const char* name) {
    const QString path = folder + "/" + name;
    return !folder.isEmpty() && QFileInfo(path).isFile()
               ? stdString(QFileInfo(path).absoluteFilePath())
               : std::string();
  };
  app.settings.shippedDefaultData = existing(kDefaultDataFile);
  app.subjectAreas.shippedLibrary = existing(kLibraryFile);
}

}  // namespace zendra
