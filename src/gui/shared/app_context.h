#pragma once

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <string>

#include "core/format/recovery.h"
#include "gui/shared/gui_services.h"
#include "core/database/any_database.h"
#include "core/model/vexa_mess.h"
#include "core/settings/default_data.h"
#include "core/settings/registry.h"
#include "core/settings/subject_areas.h"
#include "core/settings/vq_vexa_data.h"

namespace zendra {

// Where the editor windows last took variables from, shared by all of them so that one
// window can offer "From <file>" for a table another window read.
struct VariableSources {
  std::string lastFileName;      // without folder; empty until a variable was copied
  std::string lastDatabaseName;  // empty until a variable was taken from a database
  // The table last read for copying variables (metadata only); none before the first.
  std::shared_ptr<const VexaMess> table;
};

// What the whole program shares: the settings, the default data, the subject area
// list, the per-user store and the show-codes view flag, plus the services that show
// questions and file dialogs. The main window creates it and hands it to every editor
// window.
struct AppContext {
  AppContext() : defaultData(settings) {}
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  VqVexaData settings;
  DefaultData defaultData;
  SubjectAreas subjectAreas;
  Registry registry;
  bool ShowCodes = false;  // labels show codes (View/Codes) or value texts (View/Values)
  VariableSources variableSources;
  // The program's database, made when a database is first chosen and kept open.
  std::unique_ptr<clsAnyDatabase> database;
  // This program's recovery copies, in the user's state folder.
  recovery::Session recovery;

  Prompt* prompt = nullptr;
  FileChooser* files = nullptr;
  DialogRunner runDialog = execDialog;
  // Ends the program; the tests watch it instead.
  std::function<void()> quit = [] { QCoreApplication::quit(); };
  std::string manualFolder;  // the manual's folder (index.html and its pages)
};

}  // namespace zendra
