#include "platform/CAssetSource.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>

#include "platform/BufferedStream.h"
#include "platform/CPakFile.h"

namespace {

bool IsRegularFile(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

size_t AssetIdHash::operator()(const AssetId& id) const {
    if (id.archive != nullptr) {
        return std::hash<const void*>()(id.archive) * 31u + static_cast<size_t>(id.entry);
    }
    return std::hash<std::string>()(id.canonical);
}

CAssetSource::CAssetSource(std::string folder, const CSettingsStore& settings)
    : sceneFolder(std::move(folder)), resolver(settings) {
}

CAssetSource::~CAssetSource() {
    for (const HeldArchive& held : heldArchives) {
        held.archive->ReleaseFile(held.stream);
    }
}

AssetId CAssetSource::ResolveFile(const std::string& name) {
    const auto known = files.find(name);
    if (known != files.end()) {
        return known->second;
    }
    AssetId id;
    char canonical[PATH_MAX];
    // Its canonical path makes every spelling of one file one id.
    if (!name.empty() && realpath(resolver.Resolve(name).c_str(), canonical) != nullptr && IsRegularFile(canonical)) {
        id.path = name;
        id.canonical = canonical;
    }
    files.emplace(name, id);
    return id;
}

AssetId CAssetSource::LocateNamed(const std::string& name) {
    const AssetId asNamed = ResolveFile(name);
    if (asNamed.IsValid()) {
        lookups.push_back({ name, name, true });
        return asNamed;
    }
    const PathParts parts = SplitPath(name);
    const std::string inSceneFolder = sceneFolder + parts.name + parts.extension;
    const AssetId beside = parts.name.empty() ? AssetId() : ResolveFile(inSceneFolder);
    lookups.push_back({ name, inSceneFolder, beside.IsValid() });
    if (!beside.IsValid()) {
        missing.push_back(name);
    }
    return beside;
}

AssetId CAssetSource::ResolveEntry(CPakFile& archive, const std::string& name) const {
    AssetId id;
    const int32_t entry = archive.FindEntryIndex(name);
    if (entry >= 0) {
        id.archive = &archive;
        id.entry = archive.FirstWithSameBytes(entry);
        id.path = archive.GetEntries()[static_cast<size_t>(entry)].name;
    }
    return id;
}

void CAssetSource::NoteArchiveEntry(const std::string& entry, const std::string& archivePath, bool found) {
    lookups.push_back({ entry, archivePath, found });
}

AssetRead CAssetSource::Read(const AssetId& id, uint64_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!id.IsValid()) {
        return AssetRead::missing;
    }
    if (heldId.IsValid() && id == heldId) {
        heldId = AssetId();
        bytes = std::move(heldBytes);
        heldBytes.clear();
        if (bytes.size() > limit) {
            bytes.clear();
            return AssetRead::tooLarge;
        }
        return AssetRead::read;
    }
    readCount++;
    return id.InArchive() ? ReadEntry(id, limit, bytes) : ReadFile(id, limit, bytes);
}

AssetRead CAssetSource::ReadFile(const AssetId& id, uint64_t limit, std::vector<uint8_t>& bytes) {
    const StreamPtr file(OpenRegularFileForReading(id.canonical));
    if (!file) {
        return AssetRead::missing;
    }
    const int64_t length = StreamLength(file.get());
    if (length < 0) {
        return AssetRead::missing;
    }
    if (static_cast<uint64_t>(length) > limit) {
        return AssetRead::tooLarge;
    }
    bytes.resize(static_cast<size_t>(length));
    // A file that shrank since is read as far as it goes.
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    return AssetRead::read;
}

AssetRead CAssetSource::ReadEntry(const AssetId& id, uint64_t limit, std::vector<uint8_t>& bytes) {
    CPakFile& archive = *id.archive;
    const CPakEntry& entry = archive.GetEntries()[static_cast<size_t>(id.entry)];
    if (static_cast<uint64_t>(entry.length) > limit) {
        return AssetRead::tooLarge;
    }
    const bool held = std::any_of(heldArchives.begin(), heldArchives.end(),
                                  [&](const HeldArchive& h) { return h.archive == &archive; });
    if (!held) {
        // Kept open for the rest of the load instead of reopened for every entry.
        FILE* stream = archive.AcquireFile();
        if (stream == nullptr) {
            return AssetRead::missing;
        }
        heldArchives.push_back({ &archive, stream });
    }
    return archive.ReadEntry(entry, bytes) ? AssetRead::read : AssetRead::missing;
}

void CAssetSource::Hold(const AssetId& id, std::vector<uint8_t> bytes) {
    heldId = id;
    heldBytes = std::move(bytes);
}

std::vector<FoundFile> CAssetSource::FindFiles(const std::string& pattern) {
    return ::FindFiles(pattern, resolver);
}
