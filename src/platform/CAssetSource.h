#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileFinder.h"
#include "platform/WindowsPath.h"

class CPakFile;
class CSettingsStore;

// Where an asset's bytes are: one entry of an open archive, or a regular file
// on disk. Ids of the same bytes are equal however the names that led to them
// were spelled, so caches keyed by ids share what many names reach.
struct AssetId {
    CPakFile*   archive = nullptr;   // not owned; null for a file on disk
    int32_t     entry = -1;          // the first entry of the archive holding the same bytes
    // The entry's name as stored, or the file's path as it was found (what a
    // record stores when the scene is saved).
    std::string path;
    std::string canonical;           // the file's canonical path; empty for an entry

    bool IsValid() const { return archive != nullptr ? entry >= 0 : !canonical.empty(); }
    bool InArchive() const { return archive != nullptr; }
    bool operator==(const AssetId& other) const {
        return archive == other.archive && entry == other.entry && canonical == other.canonical;
    }
};

struct AssetIdHash {
    size_t operator()(const AssetId& id) const;
};

// One file a scene names: as written, where it was looked for last (the
// path used, or the archive holding an entry), and whether it was there.
struct FileLookup {
    std::string asked;
    std::string used;
    bool        found;
};

enum class AssetRead { read, missing, tooLarge };

// The one way a load reaches its input files: names are resolved once into
// ids (the Windows spelling rules, the drive map, the scene's folder, the
// archives' indices) and ids are read whole into bytes within a size limit.
// Only regular files are opened. Archive streams stay open while the source
// lives: make one per load. Notes every file the scene names for the tool's
// report, and what could not be found.
class CAssetSource {
public:
    // sceneFolder ends with a separator, or is empty for none.
    CAssetSource(std::string sceneFolder, const CSettingsStore& settings);
    // Gives back the archive streams it held.
    ~CAssetSource();
    CAssetSource(const CAssetSource&) = delete;
    CAssetSource& operator=(const CAssetSource&) = delete;

    // A regular file on disk as named; invalid when there is none.
    AssetId ResolveFile(const std::string& name);
    // A file the scene names: as named or, failing that, by its file name in
    // the scene's folder (scenes often travel without the folders they were
    // made in). Noted; a file found nowhere joins the missing list as named.
    AssetId LocateNamed(const std::string& name);
    // An entry of archive, its name compared ignoring ASCII case.
    AssetId ResolveEntry(CPakFile& archive, const std::string& name) const;
    // Notes an archive entry looked up by name; archives keep no missing list.
    void NoteArchiveEntry(const std::string& entry, const std::string& archivePath, bool found);

    // The asset's bytes when it holds at most limit of them; an archive entry
    // running past its archive's end gives the bytes that are there.
    AssetRead Read(const AssetId& id, uint64_t limit, std::vector<uint8_t>& bytes);
    // Hands bytes of id read already back to the source: the next Read of
    // id takes them instead of reading the file again (a file read to learn
    // what it is, then parsed as what it is).
    void      Hold(const AssetId& id, std::vector<uint8_t> bytes);
    // FindFiles, each folder listed once for the whole load.
    std::vector<FoundFile> FindFiles(const std::string& pattern);

    const std::string&              SceneFolder() const { return sceneFolder; }
    const std::vector<std::string>& Missing() const { return missing; }
    // Every noted lookup, in order.
    std::vector<FileLookup>         TakeLookups() { return std::move(lookups); }
    // Reads so far, whatever they gave.
    int                             ReadCount() const { return readCount; }

private:
    AssetRead ReadFile(const AssetId& id, uint64_t limit, std::vector<uint8_t>& bytes);
    AssetRead ReadEntry(const AssetId& id, uint64_t limit, std::vector<uint8_t>& bytes);

    std::string   sceneFolder;
    CPathResolver resolver;
    // Every name resolved so far, found or not, as it was asked for.
    std::unordered_map<std::string, AssetId> files;
    struct HeldArchive {
        CPakFile* archive;
        FILE*     stream;
    };
    std::vector<HeldArchive> heldArchives;
    std::vector<std::string> missing;
    std::vector<FileLookup>  lookups;
    int                      readCount = 0;
    AssetId                  heldId;
    std::vector<uint8_t>     heldBytes;
};
