// The XDG base folders that stand for Win32's well-known folders, shared by the shell
// folders and the registry store.
#ifndef PLATFORM_SRC_XDG_FOLDERS_H
#define PLATFORM_SRC_XDG_FOLDERS_H

#include <optional>
#include <string>

namespace platform {

// $XDG_DATA_HOME, else $HOME/.local/share; nothing without either.
std::optional<std::string> xdg_data_home();
// $XDG_CONFIG_HOME, else $HOME/.config; nothing without either.
std::optional<std::string> xdg_config_home();

// Makes the folder and every missing level above it (mode 0700 for new levels, as
// the XDG rules ask). False when a level cannot be made or is not a folder.
bool make_folders(const std::string& folder);

}

#endif
