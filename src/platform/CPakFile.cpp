#include "platform/CPakFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/AsciiText.h"
#include "platform/BufferedStream.h"
#include "platform/LittleEndian.h"

namespace {

constexpr int headerSize = 12;
constexpr int packNameLength = 56;
constexpr int spakNameLength = 120;

std::string FoldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        c = ToUpperAscii(c);
    }
    return folded;
}

} // namespace

CPakFile::~CPakFile() {
    if (sharedFile != nullptr) {
        std::fclose(sharedFile);
    }
}

bool CPakFile::Refuse() {
    entries.clear();
    index.clear();
    sameBytes.clear();
    failure = Failure::notAnArchive;
    return false;
}

bool CPakFile::Open(const std::string& archivePath) {
    CloseIdle();
    StreamPtr file(OpenStreamForReading(archivePath));
    if (file == nullptr) {
        return false;
    }
    path = archivePath;
    entries.clear();
    index.clear();
    sameBytes.clear();
    uint8_t header[headerSize];
    if (std::fread(header, 1, headerSize, file.get()) != headerSize) {
        return Refuse();
    }
    if (std::memcmp(header, "PACK", 4) == 0) {
        nameLength = packNameLength;
    } else if (std::memcmp(header, "SPAK", 4) == 0) {
        nameLength = spakNameLength;
    } else {
        return Refuse();
    }
    if (!ReadDirectory(file.get(), header)) {
        return false;
    }
    // Kept for the entries read next, so that a load opens the archive once.
    sharedFile = file.release();
    return true;
}

void CPakFile::CloseIdle() {
    if (sharedFile != nullptr && openCount == 0) {
        std::fclose(sharedFile);
        sharedFile = nullptr;
    }
}

bool CPakFile::ReadDirectory(FILE* file, const uint8_t* header) {
    const int32_t directoryOffset = Int32At(header + 4);
    const int32_t directoryLength = Int32At(header + 8);
    const int64_t fileLength = StreamLength(file);
    // Checked before anything is allocated, so a forged length cannot ask for
    // more memory than the file holds.
    if (directoryOffset < 0 || directoryLength < 0 || fileLength < 0 ||
        int64_t(directoryOffset) + directoryLength > fileLength) {
        return Refuse();
    }
    const size_t size = static_cast<size_t>(directoryLength);
    // The games read at most 4,096 entries of an archive; a directory of
    // millions is forged, and its index alone would take hundreds of MB.
    constexpr size_t MAX_ENTRIES = 65536;
    const size_t entrySize = static_cast<size_t>(nameLength) + 8;
    const size_t count = size / entrySize;
    if (count > MAX_ENTRIES) {
        return Refuse();
    }
    const std::unique_ptr<uint8_t[]> directory(new (std::nothrow) uint8_t[size]);
    if (directory == nullptr) {
        entries.clear();
        index.clear();
        sameBytes.clear();
        failure = Failure::outOfMemory;
        return false;
    }
    if (fseeko(file, directoryOffset, SEEK_SET) != 0 ||
        std::fread(directory.get(), 1, size, file) != size) {
        return Refuse();
    }

    entries.reserve(count);
    sameBytes.reserve(count);
    std::unordered_map<uint64_t, int32_t> firstByBytes;
    for (size_t i = 0; i < count; i++) {
        const uint8_t* record = directory.get() + i * entrySize;
        const char* name = reinterpret_cast<const char*>(record);
        CPakEntry entry;
        entry.name.assign(name, strnlen(name, static_cast<size_t>(nameLength)));
        entry.offset = Int32At(record + nameLength);
        entry.length = Int32At(record + nameLength + 4);
        if (entry.offset < 0 || entry.length < 0) {
            return Refuse();
        }
        const auto position = static_cast<int32_t>(entries.size());
        const uint64_t bytes = static_cast<uint64_t>(entry.offset) << 32 | static_cast<uint32_t>(entry.length);
        sameBytes.push_back(firstByBytes.emplace(bytes, position).first->second);
        index.emplace(FoldedName(entry.name), position);
        entries.push_back(std::move(entry));
    }
    return true;
}

const CPakEntry* CPakFile::FindEntry(const std::string& name) const {
    const int32_t position = FindEntryIndex(name);
    return position < 0 ? nullptr : &entries[static_cast<size_t>(position)];
}

int32_t CPakFile::FindEntryIndex(const std::string& name) const {
    const auto found = index.find(FoldedName(name));
    return found == index.end() ? -1 : found->second;
}

FILE* CPakFile::AcquireFile() {
    if (sharedFile != nullptr) {
        openCount++;
        return sharedFile;
    }
    sharedFile = OpenStreamForReading(path);
    openCount = sharedFile != nullptr ? 1 : 0;
    return sharedFile;
}

void CPakFile::ReleaseFile(FILE* stream) {
    if (stream == nullptr || stream != sharedFile) {
        return;
    }
    openCount--;
    if (openCount == 0) {
        std::fclose(sharedFile);
        sharedFile = nullptr;
    }
}

bool CPakFile::ReadEntry(const CPakEntry& entry, std::vector<uint8_t>& data) {
    data.clear();
    FILE* stream = AcquireFile();
    if (stream == nullptr) {
        return false;
    }
    const off_t position = ftello(stream);
    const int64_t fileLength = StreamLength(stream);
    bool read = position >= 0 && fileLength >= 0;
    if (read && entry.offset < fileLength) {
        const int64_t available = std::min<int64_t>(entry.length, fileLength - entry.offset);
        data.resize(static_cast<size_t>(available));
        read = fseeko(stream, entry.offset, SEEK_SET) == 0 &&
               std::fread(data.data(), 1, data.size(), stream) == data.size();
    }
    if (position >= 0) {
        fseeko(stream, position, SEEK_SET);
    }
    ReleaseFile(stream);
    if (!read) {
        data.clear();
    }
    return read;
}
