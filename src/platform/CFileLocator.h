#pragma once

#include <string>
#include <vector>

// One file a scene names: as written, where it was looked for last (the
// path used, or the archive holding an entry), and whether it was there.
struct FileLookup {
    std::string asked;
    std::string used;
    bool        found;
};

// Finds the files a scene names, as written or, failing that, by file name
// in the scene file's own folder (scenes often travel without the folders
// they were made in), and lists what it could not find. Lives for one load.
class CFileLocator {
public:
    // folder: the scene file's folder, ending with a separator.
    explicit CFileLocator(std::string folder);

    // True when the file exists; path may be rewritten to the scene folder's
    // copy. A path not found is added to the missing list as given.
    bool Locate(std::string& path);
    // Records an archive entry looked up by name; archives keep no missing list.
    void NoteArchiveEntry(const std::string& entry, const std::string& archivePath, bool found);

    const std::string&              Folder() const { return folder; }
    const std::vector<std::string>& Missing() const { return missing; }
    // Every lookup of this load, in order.
    std::vector<FileLookup>         TakeLookups() { return std::move(lookups); }

private:
    std::string              folder;
    std::vector<std::string> missing;
    std::vector<FileLookup>  lookups;
};
