#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "objects/COGLObject.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "support/Bytes.h"

namespace {

// A prefix with a distinct value in every field.
std::vector<uint8_t> SampleRecord() {
    Bytes b;
    b.Field("Crate", 100);
    for (int i = 0; i < 16; i++) b.F32(0.05f * float(i + 1));  // ambient .. emission
    b.F32(32.0f);                                            // shininess
    b.F32(0.1f).F32(0.2f).F32(0.3f).F32(0.9f);               // orientation
    b.F32(2.0f).F32(3.0f).F32(4.0f);                         // scale
    b.F32(5.0f).F32(6.0f).F32(7.0f);                         // position
    b.F32(-8.0f);                                            // position x again
    b.U8(1).U8(1).U8(0);                                     // visible, transparent, animating
    b.I32(2);                                                // render mode
    b.I32(0x11);                                             // reserved A
    b.I32(3);                                                // texture index
    b.F32(10).F32(20).F32(30);                               // texture rotation
    b.F32(1.5f).F32(2.5f).F32(3.5f);                         // texture scale
    b.F32(0.25f).F32(0.5f).F32(0.75f);                       // texture translation
    b.I32(0x1E01);                                           // texture mode (GL_REPLACE)
    b.I32(7);                                                // reserved B
    return b.bytes;
}

float FloatAt(const std::vector<uint8_t>& bytes, size_t offset) {
    float f;
    std::memcpy(&f, bytes.data() + offset, 4);
    return f;
}

int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset) {
    int32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

std::vector<uint8_t> SaveToBytes(const COGLObject& object, int textureIndex) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orrin-record-" + std::to_string(getpid()) + ".bin");
    {
        CFile file;
        EXPECT_TRUE(file.Open(path.string(), CFile::modeWrite));
        object.Save(file, textureIndex);
    }
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    CFile file;
    EXPECT_TRUE(file.Open(path.string(), CFile::modeRead));
    file.Read(bytes.data(), bytes.size());
    file.Close();
    std::filesystem::remove(path);
    return bytes;
}

}  // namespace

TEST(ObjectRecord, LoadReadsEveryFieldAtItsOffset) {
    const std::vector<uint8_t> record = SampleRecord();
    ASSERT_EQ(record.size(), OBJECT_RECORD_SIZE);
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
    COGLObject object;
    const uint32_t selectionName = object.selectionName;
    object.typeCode = 42;

    EXPECT_EQ(object.Load(file, 5), 3);
    EXPECT_EQ(file.GetPosition(), OBJECT_RECORD_SIZE);
    EXPECT_EQ(object.name, "Crate");
    EXPECT_FLOAT_EQ(object.ambient[0], 0.05f);
    EXPECT_FLOAT_EQ(object.diffuse[0], 0.25f);
    EXPECT_FLOAT_EQ(object.specular[3], 0.60f);
    EXPECT_FLOAT_EQ(object.emission[3], 0.80f);
    EXPECT_EQ(object.shininess, 32.0f);
    EXPECT_EQ(object.orientation.x, 0.1f);
    EXPECT_EQ(object.orientation.w, 0.9f);
    EXPECT_EQ(object.scale.z, 4.0f);
    // The repeated position x wins over the first.
    EXPECT_EQ(object.position.x, -8.0f);
    EXPECT_EQ(object.position.y, 6.0f);
    EXPECT_EQ(object.position.z, 7.0f);
    EXPECT_TRUE(object.visible);
    EXPECT_TRUE(object.transparent);
    EXPECT_FALSE(object.animating);
    EXPECT_EQ(object.renderMode, 2);
    EXPECT_EQ(object.reservedA, 0x11);
    EXPECT_EQ(object.textureRotation.y, 20.0f);
    EXPECT_EQ(object.textureScale.x, 1.5f);
    EXPECT_EQ(object.textureTranslation.z, 0.75f);
    EXPECT_EQ(object.textureMode, 0x1E01);
    EXPECT_EQ(object.reservedB, 7);
    // Not part of the record.
    EXPECT_EQ(object.selectionName, selectionName);
    EXPECT_EQ(object.typeCode, 42);
    EXPECT_EQ(object.extents.x, 1.0f);
}

TEST(ObjectRecord, SaveLaysOutTheFieldsAtTheirOffsets) {
    COGLObject object;
    object.name = "Crate";
    object.SetDiffuse(0.1f, 0.2f, 0.3f, 0.4f);
    object.SetShininess(12.0f);
    object.orientation = CQuaternion(0.5f, 0.5f, -0.5f, 0.5f);
    object.SetScale(2, 3, 4);
    object.SetPosition(5, 6, 7);
    object.Hide();
    object.reservedA = 1;
    object.textureMode = 0x2101;
    const std::vector<uint8_t> bytes = SaveToBytes(object, -1);

    ASSERT_EQ(bytes.size(), OBJECT_RECORD_SIZE);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data()), "Crate");
    EXPECT_EQ(bytes[99], 0);
    EXPECT_FLOAT_EQ(FloatAt(bytes, 100), 0.2f);   // ambient r, the default
    EXPECT_FLOAT_EQ(FloatAt(bytes, 116), 0.1f);   // diffuse r
    EXPECT_FLOAT_EQ(FloatAt(bytes, 128), 0.4f);   // diffuse a
    EXPECT_FLOAT_EQ(FloatAt(bytes, 160), 1.0f);   // emission a
    EXPECT_EQ(FloatAt(bytes, 164), 12.0f);
    EXPECT_EQ(FloatAt(bytes, 176), -0.5f);        // orientation z
    EXPECT_EQ(FloatAt(bytes, 192), 4.0f);         // scale z
    EXPECT_EQ(FloatAt(bytes, 196), 5.0f);         // position x
    EXPECT_EQ(FloatAt(bytes, 204), 7.0f);         // position z
    EXPECT_EQ(FloatAt(bytes, 208), 5.0f);         // position x again
    EXPECT_EQ(bytes[212], 0);                     // visible
    EXPECT_EQ(bytes[213], 0);
    EXPECT_EQ(bytes[214], 0);
    EXPECT_EQ(IntAt(bytes, 215), 0);              // render mode
    EXPECT_EQ(IntAt(bytes, 219), 1);              // reserved A
    EXPECT_EQ(IntAt(bytes, 223), -1);             // texture index
    EXPECT_EQ(FloatAt(bytes, 239), 1.0f);         // texture scale x
    EXPECT_EQ(IntAt(bytes, 263), 0x2101);
    EXPECT_EQ(IntAt(bytes, 267), 1);              // reserved B default
}

TEST(ObjectRecord, LongNamesAreCutTo99Characters) {
    COGLObject object;
    object.name = std::string(150, 'n');
    const std::vector<uint8_t> bytes = SaveToBytes(object, 0);
    ASSERT_EQ(bytes.size(), OBJECT_RECORD_SIZE);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), std::string(99, 'n'));
    EXPECT_EQ(bytes[99], 0);

    // A field without any terminator (another tool's file) loads 99 characters
    // and nothing of the next field.
    std::vector<uint8_t> record = SampleRecord();
    std::memset(record.data(), 'x', 100);
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
    COGLObject loaded;
    loaded.Load(file, 5);
    EXPECT_EQ(loaded.name, std::string(99, 'x'));
}

TEST(ObjectRecord, SaveThenLoadKeepsEveryField) {
    const std::vector<uint8_t> record = SampleRecord();
    CFile in;
    ASSERT_TRUE(in.OpenMemory(record.data(), record.size()));
    COGLObject original;
    const int textureIndex = original.Load(in, 6);
    std::vector<uint8_t> saved = SaveToBytes(original, textureIndex);
    // Only the first position x differs: the save writes the value that won.
    std::vector<uint8_t> expected = record;
    std::memcpy(expected.data() + 196, expected.data() + 208, 4);
    EXPECT_EQ(saved, expected);
}

TEST(ObjectRecord, HiddenInTheRecordKeepsTheSelectionNameClear) {
    std::vector<uint8_t> record = SampleRecord();
    record[212] = 0;
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
    COGLObject object;
    object.Load(file, 5);
    EXPECT_FALSE(object.visible);
    EXPECT_EQ(object.selectionName & COGLObject::HIDDEN_BIT, 0u);
}

TEST(ObjectRecord, ATruncatedRecordThrowsAndChangesNothing) {
    const std::vector<uint8_t> record = SampleRecord();
    for (size_t length : { size_t(0), size_t(99), size_t(212), OBJECT_RECORD_SIZE - 1 }) {
        CFile file;
        ASSERT_TRUE(file.OpenMemory(record.data(), length));
        COGLObject object;
        object.name = "untouched";
        try {
            object.Load(file, 5);
            ADD_FAILURE() << "no exception for " << length << " bytes";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.cause, CFileException::endOfFile);
        }
        EXPECT_EQ(object.name, "untouched");
        EXPECT_EQ(object.position.x, 0.0f);
    }
}
