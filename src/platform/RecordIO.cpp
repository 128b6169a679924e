#include "platform/RecordIO.h"

#include <cstring>

#include "platform/CFile.h"
#include "platform/CFileException.h"

const uint8_t* CRecordReader::Take(size_t count) {
    if (count > size - offset) {
        throw CFileException(CFileException::endOfFile, "(record)");
    }
    const uint8_t* field = data + offset;
    offset += count;
    return field;
}

uint8_t CRecordReader::ReadByte() {
    return *Take(1);
}

bool CRecordReader::ReadBool() {
    return ReadByte() != 0;
}

uint32_t CRecordReader::ReadUInt32() {
    const uint8_t* b = Take(4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

int32_t CRecordReader::ReadInt32() {
    return static_cast<int32_t>(ReadUInt32());
}

float CRecordReader::ReadFloat() {
    const uint32_t bits = ReadUInt32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void CRecordReader::ReadFloats(float* out, int count) {
    for (int i = 0; i < count; i++) {
        out[i] = ReadFloat();
    }
}

std::string CRecordReader::ReadName(size_t fieldSize) {
    const char* field = reinterpret_cast<const char*>(Take(fieldSize));
    // Files written by other tools may fill the field without a terminator.
    const size_t limit = fieldSize == 0 ? 0 : fieldSize - 1;
    return std::string(field, strnlen(field, limit));
}

std::string CRecordReader::ReadPath(size_t fieldSize) {
    const char* field = reinterpret_cast<const char*>(Take(fieldSize));
    return std::string(field, strnlen(field, fieldSize));
}

void CRecordReader::Skip(size_t count) {
    Take(count);
}

void CRecordWriter::WriteByte(uint8_t value) {
    bytes.push_back(value);
}

void CRecordWriter::WriteBool(bool value) {
    WriteByte(value ? 1 : 0);
}

void CRecordWriter::WriteUInt32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void CRecordWriter::WriteInt32(int32_t value) {
    WriteUInt32(static_cast<uint32_t>(value));
}

void CRecordWriter::WriteFloat(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteUInt32(bits);
}

void CRecordWriter::WriteFloats(const float* values, int count) {
    for (int i = 0; i < count; i++) {
        WriteFloat(values[i]);
    }
}

void CRecordWriter::WriteName(const std::string& name, size_t fieldSize) {
    if (fieldSize == 0) {
        return;
    }
    const size_t length = name.size() < fieldSize - 1 ? name.size() : fieldSize - 1;
    bytes.insert(bytes.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
    bytes.insert(bytes.end(), fieldSize - length, 0);
}

uint8_t ReadByte(CFile& file) {
    uint8_t value = 0;
    file.Read(&value, 1);
    return value;
}

int32_t ReadInt32(CFile& file) {
    uint8_t bytes[4];
    file.Read(bytes, 4);
    return CRecordReader(bytes, 4).ReadInt32();
}

float ReadFloat(CFile& file) {
    uint8_t bytes[4];
    file.Read(bytes, 4);
    return CRecordReader(bytes, 4).ReadFloat();
}

std::string ReadPathField(CFile& file) {
    uint8_t field[PATH_FIELD_SIZE];
    file.Read(field, sizeof field);
    return CRecordReader(field, sizeof field).ReadPath(PATH_FIELD_SIZE);
}
