#pragma once

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <string>

#include "gui/gui_services.h"
#include "settings/default_data.h"
#include "settings/registry.h"
#include "settings/subject_areas.h"
#include "settings/vq_vexa_data.h"

namespace zendra {

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

  Prompt* prompt = nullptr;
  FileChooser* files = nullptr;
  DialogRunner runDialog = execDialog;
  // Ends the program; the tests watch it instead.
  std::function<void()> quit = [] { QCoreApplication::quit(); };
  std::string programFolder;  // where the help file is looked for
};

}  // namespace zendra
