#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CFile;

// Paths in records are fixed fields of this many bytes.
constexpr size_t PATH_FIELD_SIZE = 260;

// Records in scene and model files are little-endian fields with no padding.
// A record is read whole from its file first and then taken apart here, so a
// short file fails before anything is changed; reading past the record's end
// throws CFileException like a short file read.
class CRecordReader {
public:
    CRecordReader(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t  ReadByte();
    bool     ReadBool();
    int32_t  ReadInt32();
    uint32_t ReadUInt32();
    float    ReadFloat();
    void     ReadFloats(float* out, int count);
    // A fixed field holding a NUL-terminated name; never longer than fieldSize - 1.
    std::string ReadName(size_t fieldSize);
    // A fixed field holding a path; one filled to the end without a
    // terminator is a path of fieldSize characters.
    std::string ReadPath(size_t fieldSize);
    void     Skip(size_t count);

    size_t   Remaining() const { return size - offset; }

private:
    const uint8_t* Take(size_t count);

    const uint8_t* data;
    size_t         size;
    size_t         offset = 0;
};

// Lays a record out in memory, to be written with one file write.
class CRecordWriter {
public:
    void WriteByte(uint8_t value);
    void WriteBool(bool value);
    void WriteInt32(int32_t value);
    void WriteUInt32(uint32_t value);
    void WriteFloat(float value);
    void WriteFloats(const float* values, int count);
    // At most fieldSize - 1 characters, the rest of the field NUL.
    void WriteName(const std::string& name, size_t fieldSize);

    const std::vector<uint8_t>& Bytes() const { return bytes; }

private:
    std::vector<uint8_t> bytes;
};

// Single fields read straight from a file; a short file throws CFileException.
uint8_t     ReadByte(CFile& file);
int32_t     ReadInt32(CFile& file);
float       ReadFloat(CFile& file);
std::string ReadPathField(CFile& file);
