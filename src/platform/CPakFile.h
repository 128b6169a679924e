#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

// One file inside an archive.
struct CPakEntry {
    std::string name;     // as stored, e.g. "players/male/tris.md2"
    int32_t     offset;   // where its data starts in the archive file
    int32_t     length;   // bytes of data
};

// A Quake II ("PACK") or SiN ("SPAK") archive. Open reads the directory once
// and keeps the file open for the entries a load reads next; entries are read
// through that one shared stream, which several readers hold at a time
// (AcquireFile / ReleaseFile) and which closes when the last one gives it back
// or, never taken, at CloseIdle. The stream is shared, so a reader seeks
// before it reads and never assumes a position.
class CPakFile {
public:
    CPakFile() = default;
    ~CPakFile();
    CPakFile(const CPakFile&) = delete;
    CPakFile& operator=(const CPakFile&) = delete;

    enum class Failure { none, notAnArchive, outOfMemory };

    // False when the file cannot be opened, or with GetFailure telling why:
    // not an archive (wrong magic, too short, or a directory or an entry with
    // a negative offset or length, or a directory not inside the file), or no
    // memory for the directory. Nothing is reported; the caller knows what
    // the archive was for.
    bool Open(const std::string& path);
    Failure GetFailure() const { return failure; }

    // First entry whose name equals name ignoring ASCII case; '/' and '\' are
    // different characters here. Null when there is none. The pointer lives
    // as long as this object.
    const CPakEntry* FindEntry(const std::string& name) const;
    // Its position in GetEntries(), -1 when there is none.
    int32_t FindEntryIndex(const std::string& name) const;
    // The first entry holding the same bytes (offset and length) as entry:
    // a forged directory may give one picture thousands of names.
    int32_t FirstWithSameBytes(int32_t entry) const { return sameBytes[static_cast<size_t>(entry)]; }

    // The shared stream, opened on first use; null when the file has gone.
    // Every non-null result is given back with ReleaseFile.
    FILE* AcquireFile();
    // Closes the shared stream when its last holder gives it back.
    void  ReleaseFile(FILE* stream);
    // Closes the stream Open left open when nobody holds it.
    void  CloseIdle();

    // The entry's data, or as much of it as the file holds when the entry runs
    // past its end. The shared stream is left where it was. False when the
    // archive cannot be read.
    bool  ReadEntry(const CPakEntry& entry, std::vector<uint8_t>& data);

    int                           GetEntryCount() const { return static_cast<int>(entries.size()); }
    const std::vector<CPakEntry>& GetEntries() const { return entries; }
    int                           GetNameLength() const { return nameLength; }
    const std::string&            GetPath() const { return path; }
    int                           GetOpenCount() const { return openCount; }

private:
    bool ReadDirectory(FILE* file, const uint8_t* header);
    bool Refuse();

    int                    nameLength = 0;   // 56 for "PACK", 120 for "SPAK"
    std::vector<CPakEntry> entries;
    // The first entry of each name, by its upper-cased name: archives hold
    // thousands of entries and scenes look up thousands of names.
    std::unordered_map<std::string, int32_t> index;
    std::vector<int32_t>   sameBytes;        // FirstWithSameBytes of each entry
    FILE*                  sharedFile = nullptr;
    std::string            path;
    int                    openCount = 0;
    Failure                failure = Failure::none;
};
