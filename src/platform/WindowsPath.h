#pragma once

#include <string>
#include <string_view>

class CSettingsStore;

// Scene and model files name their files the Windows way: backslashes, drive
// letters, any letter case, Windows-1252 bytes. ResolvePath turns such a name
// into the Linux path of the file that exists:
//   - '\' and '/' both separate components;
//   - "X:" maps through the [Drives] section of the settings ("C=/home/me/c");
//     an unmapped drive gives the path back unchanged, for the caller's own
//     fallback (the scene locator looks in the scene's folder);
//   - a component that does not exist as written matches a sibling that
//     differs only in ASCII letter case, or whose UTF-8 name is the component
//     read as Windows-1252.
// Components after the first one that matches nothing are kept as written, so
// the result also names a file about to be created in an existing folder.
std::string ResolvePath(const std::string& path, const CSettingsStore& settings);
// Drives from the process's settings store.
std::string ResolvePath(const std::string& path);

// A path taken apart as Windows does: "C:" + "\Scenes\" + "box" + ".tga".
// Either separator ends the folder; the extension starts at the name's last
// '.' and keeps it. Joining the four parts gives the path back.
struct PathParts {
    std::string drive;
    std::string folder;
    std::string name;
    std::string extension;
};

PathParts SplitPath(std::string_view path);
