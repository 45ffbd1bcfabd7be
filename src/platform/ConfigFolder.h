// Where the program keeps its own files (settings, favourites, recent folders).
#pragma once

#include <string>

// OCULANE_CONFIG_DIR when set, else $XDG_CONFIG_HOME/oculane, else ~/.config/oculane.
// The folder may not exist yet.
std::string ConfigFolder();

// Creates the folder and its parents; true when it exists afterwards.
bool EnsureFolder(const std::string& path);
