#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CSettingsStore;

// Scene and model files name their files the Windows way: backslashes, drive
// letters, any letter case, Windows-1252 bytes. A resolver turns such a name
// into the Linux path of the file that exists:
//   - '\' and '/' both separate components;
//   - "X:" maps through the [Drives] section of the settings ("C=/home/me/c");
//     an unmapped drive gives the path back unchanged, for the caller's own
//     fallback (the scene's asset source looks in the scene's folder);
//   - a component that does not exist as written matches a sibling that
//     differs only in ASCII letter case, or whose UTF-8 name is the component
//     read as Windows-1252.
// Components after the first one that matches nothing are kept as written, so
// the result also names a file about to be created in an existing folder.
//
// A resolver reads the drive map once and lists each folder at most once, so
// that the many names of one load cost one listing per folder, not one per
// name. Folders changed while it lives are not seen; make one per load.
class CPathResolver {
public:
    explicit CPathResolver(const CSettingsStore& settings);

    std::string Resolve(const std::string& path);

    // Every name in folder ("" for the current one), files and folders,
    // and whether each is a regular file, in no particular order.
    struct Entry {
        std::string name;
        bool        regularFile;
    };
    const std::vector<Entry>& List(const std::string& folder);

private:
    struct Listing {
        std::vector<Entry> entries;
        // Positions in entries by upper-cased name.
        std::unordered_map<std::string, std::vector<size_t>> byFoldedName;
    };

    std::string MatchComponent(const std::string& folder, const std::string& component);
    std::string MatchComponents(const std::string& path);
    Listing&    ListingOf(const std::string& folder);
    std::string MappedDrive(char letter);

    const CSettingsStore& settings;
    std::unordered_map<char, std::string>        drives;
    std::unordered_map<std::string, Listing>     listings;
};

// One name resolved with a resolver of its own.
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
