#pragma once

#include <filesystem>

namespace zendra {

// The user's configuration folder for this program: $XDG_CONFIG_HOME/zendra, or
// ~/.config/zendra when the variable is unset, empty or not an absolute path.
std::filesystem::path configFolder();

// The settings file "zendra32.ini" in the configuration folder.
std::filesystem::path settingsFilePath();

// The per-user store of the application "Zendra00": "Zendra00.ini" in the configuration
// folder.
std::filesystem::path userStoreFilePath();

}  // namespace zendra
