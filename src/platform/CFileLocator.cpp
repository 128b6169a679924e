#include "platform/CFileLocator.h"

#include "platform/BufferedStream.h"
#include "platform/WindowsPath.h"

CFileLocator::CFileLocator(std::string sceneFolder) : folder(std::move(sceneFolder)) {
}

static bool Opens(const std::string& path) {
    return !path.empty() && StreamPtr(OpenStreamForReading(path)) != nullptr;
}

bool CFileLocator::Locate(std::string& path) {
    if (Opens(path)) {
        lookups.push_back({ path, path, true });
        return true;
    }
    const PathParts parts = SplitPath(path);
    const std::string inSceneFolder = folder + parts.name + parts.extension;
    if (!parts.name.empty() && Opens(inSceneFolder)) {
        lookups.push_back({ path, inSceneFolder, true });
        path = inSceneFolder;
        return true;
    }
    lookups.push_back({ path, inSceneFolder, false });
    missing.push_back(path);
    return false;
}

void CFileLocator::NoteArchiveEntry(const std::string& entry, const std::string& archivePath, bool found) {
    lookups.push_back({ entry, archivePath, found });
}
