#pragma once

#include <string>

// Folders end with '/'; an empty string means there is none.

// The folder of the running executable.
std::string ExecutableFolder();
// $XDG_DATA_HOME/orrin/, else ~/.local/share/orrin/; created on demand.
std::string UserDataFolder();
// The installed data folder (<prefix>/share/orrin/), found from the
// executable's folder so that an install under any prefix finds its own.
std::string InstalledDataFolder();
// Where "log.txt", "errors.txt" and the default "scrnshot" folder go: the
// executable's folder when we may write there (a build tree, a portable
// copy), else the user's data folder (an installed program).
std::string ProgramFolder();
