#include "platform/CFile.h"

#include "platform/BufferedStream.h"
#include "platform/CFileException.h"
#include "platform/COutputFile.h"

const char* CFileException::Describe() const {
    switch (cause) {
    case endOfFile:  return "unexpected end of file";
    case badSeek:    return "seek failed";
    case writeFault: return "write failed";
    case implausibleCount: return "a count larger than any file of its kind holds";
    }
    return "file error";
}

CFile::~CFile() {
    Close();
}

bool CFile::Open(const std::string& filePath, OpenMode mode) {
    Close();
    stream = mode == modeRead ? OpenStreamForReading(filePath) : OpenStreamForWriting(filePath);
    if (stream == nullptr) {
        return false;
    }
    path = filePath;
    return true;
}

bool CFile::Open(COutputFile& output) {
    Close();
    stream = output.Stream();
    ownsStream = false;
    path = output.GetPath();
    return stream != nullptr;
}

bool CFile::OpenMemory(const void* data, size_t size, const std::string& name) {
    Close();
    // Opened read-only, so the const_cast never leads to a write. An empty
    // vector's data may be null, which fmemopen refuses even for size 0.
    static uint8_t nothing = 0;
    stream = fmemopen(size > 0 ? const_cast<void*>(data) : &nothing, size, "rb");
    path = name;
    return stream != nullptr;
}

void CFile::Close() {
    if (stream != nullptr && ownsStream) {
        std::fclose(stream);
    }
    stream = nullptr;
    ownsStream = true;
}

void CFile::Read(void* buffer, size_t count) {
    if (stream == nullptr || std::fread(buffer, 1, count, stream) != count) {
        throw CFileException(CFileException::endOfFile, path);
    }
}

void CFile::Write(const void* buffer, size_t count) {
    if (stream == nullptr || std::fwrite(buffer, 1, count, stream) != count) {
        throw CFileException(CFileException::writeFault, path);
    }
}

void CFile::Seek(int64_t offset, SeekFrom from) {
    static const int whence[] = { SEEK_SET, SEEK_CUR, SEEK_END };
    if (stream == nullptr || fseeko(stream, offset, whence[from]) != 0) {
        throw CFileException(CFileException::badSeek, path);
    }
}

uint64_t CFile::GetPosition() const {
    if (stream == nullptr) {
        return 0;
    }
    const off_t position = ftello(stream);
    return position < 0 ? 0 : static_cast<uint64_t>(position);
}

uint64_t CFile::GetLength() const {
    if (stream == nullptr) {
        return 0;
    }
    const int64_t length = StreamLength(stream);
    return length < 0 ? 0 : static_cast<uint64_t>(length);
}

WholeFile ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& data) {
    data.clear();
    CFile file;
    if (!file.Open(path, CFile::modeRead)) {
        return WholeFile::missing;
    }
    const uint64_t length = file.GetLength();
    if (length > limit) {
        return WholeFile::tooLarge;
    }
    data.resize(static_cast<size_t>(length));
    file.Read(data.data(), data.size());
    return WholeFile::read;
}
