#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "objects/COGLObject.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "support/RecordBytes.h"

TEST(ObjectRecord, LoadReadsTheFieldsAtTheirOffsetsAndSaveWritesThemBack) {
    const std::vector<uint8_t> record = SampleObjectPrefix();
    ASSERT_EQ(record.size(), OBJECT_RECORD_SIZE);
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
    COGLObject object;
    const uint32_t selectionName = object.SelectionName();
    object.typeCode = 42;

    const int textureIndex = object.Load(file, 5);
    EXPECT_EQ(textureIndex, 3);
    EXPECT_EQ(file.GetPosition(), OBJECT_RECORD_SIZE);
    EXPECT_EQ(object.name, "Crate");
    EXPECT_FLOAT_EQ(object.ambient[0], 0.05f);
    EXPECT_FLOAT_EQ(object.emission[3], 0.80f);
    EXPECT_EQ(object.shininess, 32.0f);
    EXPECT_EQ(object.orientation.w, 0.9f);
    EXPECT_EQ(object.scale.z, 4.0f);
    // The repeated position x wins over the first.
    EXPECT_EQ(object.position.x, -8.0f);
    EXPECT_EQ(object.position.y, 6.0f);
    EXPECT_TRUE(object.IsVisible());
    EXPECT_TRUE(object.transparent);
    EXPECT_FALSE(object.animating);
    EXPECT_EQ(object.renderMode, 2);
    EXPECT_EQ(object.reservedA, 0x11);
    EXPECT_EQ(object.textureRotation.y, 20.0f);
    EXPECT_EQ(object.textureTranslation.z, 0.75f);
    EXPECT_EQ(object.textureMode, 0x1E01);
    EXPECT_EQ(object.reservedB, 7);
    // Not part of the record.
    EXPECT_EQ(object.SelectionName(), selectionName);
    EXPECT_EQ(object.typeCode, 42);

    // Only the first position x differs: the save writes the value that won.
    std::vector<uint8_t> expected = record;
    std::memcpy(expected.data() + 196, expected.data() + 208, 4);
    EXPECT_EQ(SavedBytes([&](CFile& out) { object.Save(out, textureIndex); }), expected);
}

TEST(ObjectRecord, LongNamesAreCutTo99CharactersAndHiddenIsTheVisibleByte) {
    COGLObject object;
    object.name = std::string(150, 'n');
    object.Hide();
    const std::vector<uint8_t> bytes = SavedBytes([&](CFile& out) { object.Save(out, 0); });
    ASSERT_EQ(bytes.size(), OBJECT_RECORD_SIZE);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), std::string(99, 'n'));
    EXPECT_EQ(bytes[99], 0);
    EXPECT_EQ(bytes[212], 0);  // visible

    // A field without any terminator (another tool's file) loads 99 characters
    // and nothing of the next field.
    std::vector<uint8_t> record = SampleObjectPrefix();
    std::memset(record.data(), 'x', 100);
    record[212] = 0;
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
    COGLObject loaded;
    loaded.Load(file, 5);
    EXPECT_EQ(loaded.name, std::string(99, 'x'));
    EXPECT_FALSE(loaded.IsVisible());
    // Unlike Hide(), loading leaves bit 31 of the selection name clear.
    EXPECT_EQ(loaded.SelectionName() & COGLObject::HIDDEN_BIT, 0u);
}

TEST(ObjectRecord, ATruncatedRecordThrowsAndChangesNothing) {
    const std::vector<uint8_t> record = SampleObjectPrefix();
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
