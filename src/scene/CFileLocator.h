#pragma once

#include <string>
#include <vector>

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
    // "The following files could not be loaded:" and the list, through ReportError.
    void ReportMissing() const;

    const std::string&              Folder() const { return folder; }
    const std::vector<std::string>& Missing() const { return missing; }

private:
    std::string              folder;
    std::vector<std::string> missing;
};
