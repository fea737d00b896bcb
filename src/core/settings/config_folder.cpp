#include "core/settings/config_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zendra {
namespace {

std::filesystem::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  // No HOME: fall back to the account's home folder from the user database.
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

}  // namespace

std::filesystem::path configFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return std::filesystem::path(xdg) / "zendra";
  return homeFolder() / ".config" / "zendra";
}

std::filesystem::path settingsFilePath() {
  return configFolder() / "zendra32.ini";
}

std::filesystem::path userStoreFilePath() {
  return configFolder() / "Zendra00.ini";
}

}  // namespace zendra
