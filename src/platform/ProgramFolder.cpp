#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !executable.has_parent_path()) {
        return {};
    }
    std::string folder = executable.parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

#ifndef ORRIN_DATA_FROM_BIN
#define ORRIN_DATA_FROM_BIN "../share/orrin"
#endif

std::string InstalledDataFolder() {
    const std::string executableFolder = ExecutableFolder();
    if (executableFolder.empty()) {
        return {};
    }
    return executableFolder + ORRIN_DATA_FROM_BIN "/";
}

std::string UserDataFolder() {
    std::string base;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        base = dataHome;
    } else if (home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    const std::string folder = base + "/orrin/";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        return {};
    }
    return folder;
}

std::string ProgramFolder() {
    const std::string executableFolder = ExecutableFolder();
    if (!executableFolder.empty() && access(executableFolder.c_str(), W_OK) == 0) {
        return executableFolder;
    }
    return UserDataFolder();
}
