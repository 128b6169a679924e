#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class COutputFile;

// A binary file on disk (or a block of memory read like one). Reads and writes
// move bytes unchanged; a short read, a failed write or a failed seek throws
// CFileException, so a reader never goes on with bytes it did not get.
class CFile {
public:
    enum OpenMode { modeRead, modeWrite };
    enum SeekFrom { begin, current, end };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False when the file cannot be opened; modeWrite creates or truncates.
    // The path may be written the Windows way when reading (see
    // ResolvePath); one written to is taken exactly as given.
    bool Open(const std::string& path, OpenMode mode);
    // Writes into an output file made with Create; it stays the caller's to
    // commit, and Close only lets go of it.
    bool Open(COutputFile& output);
    // Reads from a caller-owned block that must outlive the file; name is
    // what the file calls itself (GetFilePath).
    bool OpenMemory(const void* data, size_t size, const std::string& name = "(memory)");
    void Close();
    bool IsOpen() const { return stream != nullptr; }

    // Reads exactly count bytes or throws; buffer is unspecified after a throw.
    void Read(void* buffer, size_t count);
    void Write(const void* buffer, size_t count);
    void Seek(int64_t offset, SeekFrom from);
    uint64_t GetPosition() const;
    uint64_t GetLength() const;
    const std::string& GetFilePath() const { return path; }

private:
    FILE*       stream = nullptr;
    bool        ownsStream = true;
    std::string path;
};

enum class WholeFile { missing, tooLarge, read };
// A whole file into data, when it opens and holds at most limit bytes; a
// larger one is not read (forged or foreign files are refused by size first).
WholeFile ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& data);
