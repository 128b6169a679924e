#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "objects/COGLBillboard.h"
#include "objects/COGLCeiling.h"
#include "objects/COGLDisk.h"
#include "objects/COGLFloor.h"
#include "objects/COGLLeftWall.h"
#include "objects/COGLPointLight.h"
#include "objects/COGLRightWall.h"
#include "objects/COGLSpotLight.h"
#include "objects/COGLText.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "support/GLTest.h"
#include "support/RecordBytes.h"

namespace {

using Light = GLTest;

std::vector<uint8_t> Saved(const COGLObject& object, int textureIndex = 0) {
    return SavedBytes([&](CFile& out) { object.Save(out, textureIndex); });
}

std::vector<uint8_t> Saved(const COGLLight& light) {
    return SavedBytes([&](CFile& out) { light.Save(out); });
}

// Loads from the whole record, to its end; gives the texture index read.
int LoadRecord(COGLObject& object, const std::vector<uint8_t>& record, int version = 5) {
    CFile file;
    EXPECT_TRUE(file.OpenMemory(record.data(), record.size()));
    const int textureIndex = object.Load(file, version);
    EXPECT_EQ(file.GetPosition(), record.size());
    return textureIndex;
}

void LoadRecord(COGLLight& light, const Bytes& record, int version = 6) {
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.bytes.data(), record.Size()));
    light.Load(file, version);
    EXPECT_EQ(file.GetPosition(), record.Size());
}

// The sample prefix as saved: only the first position x differs, as the
// save writes the value that won.
std::vector<uint8_t> SavedPrefix(std::vector<uint8_t> record) {
    std::memcpy(record.data() + 196, record.data() + 208, 4);
    return record;
}

// A point-light record with a distinct value in each field.
Bytes PointRecord(int32_t markerVisible, int32_t enabled) {
    Bytes b;
    b.Field("Lamp", 100);
    b.F32(0.1f).F32(0.2f).F32(0.3f).F32(1);   // ambient
    b.F32(0.4f).F32(0.5f).F32(0.6f).F32(1);   // diffuse
    b.F32(0.7f).F32(0.8f).F32(0.9f).F32(1);   // specular
    b.F32(1.5f).F32(2.5f).F32(-3.5f).F32(0);  // position, w
    b.I32(markerVisible).I32(enabled);
    return b;
}

Bytes SpotRecord() {
    Bytes b = PointRecord(1, 1);
    b.F32(0).F32(0).F32(0).F32(1);            // marker orientation: none
    b.F32(12.5f).F32(4);                      // cutoff, exponent
    b.F32(0.5f).F32(0.25f).F32(0.125f);       // attenuations
    return b;
}

}  // namespace

TEST(ObjectRecord, LoadReadsTheFieldsAtTheirOffsetsAndSaveWritesThemBack) {
    const std::vector<uint8_t> record = SampleObjectPrefix();
    ASSERT_EQ(record.size(), OBJECT_RECORD_SIZE);
    COGLObject object;
    const uint32_t selectionName = object.SelectionName();
    object.typeCode = 42;
    const int textureIndex = LoadRecord(object, record);
    EXPECT_EQ(textureIndex, 3);
    EXPECT_EQ(object.name, "Crate");
    EXPECT_FLOAT_EQ(object.ambient[0], 0.05f);
    EXPECT_FLOAT_EQ(object.emission[3], 0.80f);
    EXPECT_EQ(object.shininess, 32.0f);
    EXPECT_EQ(object.orientation.w, 0.9f);
    EXPECT_EQ(object.scale.z, 4.0f);
    EXPECT_EQ(object.position.x, -8.0f);  // the repeated x wins over the first
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
    EXPECT_EQ(Saved(object, textureIndex), SavedPrefix(record));
}

TEST(ObjectRecord, LongNamesAreCutTo99CharactersAndHiddenIsTheVisibleByte) {
    COGLObject object;
    object.name = std::string(150, 'n');
    object.Hide();
    const std::vector<uint8_t> bytes = Saved(object);
    ASSERT_EQ(bytes.size(), OBJECT_RECORD_SIZE);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), std::string(99, 'n'));
    EXPECT_EQ(bytes[99], 0);
    EXPECT_EQ(bytes[212], 0);  // visible

    // A field without any terminator (another tool's file) loads 99 characters
    // and nothing of the next field.
    std::vector<uint8_t> record = SampleObjectPrefix();
    std::memset(record.data(), 'x', 100);
    record[212] = 0;
    COGLObject loaded;
    LoadRecord(loaded, record);
    EXPECT_EQ(loaded.name, std::string(99, 'x'));
    EXPECT_FALSE(loaded.IsVisible());
    // Unlike Hide(), loading leaves bit 31 of the selection name clear.
    EXPECT_EQ(loaded.SelectionName() & COGLObject::HIDDEN_BIT, 0u);
}

TEST(ObjectRecord, EveryPlaneKindReadsOneSubdivisionByteAndKeepsItsZScaleAtOne) {
    std::vector<uint8_t> record = SampleObjectPrefix();
    record.push_back(0);
    ASSERT_EQ(record.size(), PLANE_RECORD_SIZE);
    for (int subdivided : { 1, 0 }) {
        record.back() = static_cast<uint8_t>(subdivided);
        std::unique_ptr<COGLPlane> planes[] = { std::make_unique<COGLPlane>(), std::make_unique<COGLFloor>(),
                                                std::make_unique<COGLRightWall>(), std::make_unique<COGLLeftWall>(),
                                                std::make_unique<COGLCeiling>(), std::make_unique<COGLDisk>(),
                                                std::make_unique<COGLBillboard>() };
        for (const auto& plane : planes) {
            SCOPED_TRACE(testing::Message() << plane->name << ", subdivided " << subdivided);
            plane->subdivided = !subdivided;
            const int textureIndex = LoadRecord(*plane, record);
            EXPECT_EQ(textureIndex, 3);
            EXPECT_EQ(plane->subdivided, subdivided == 1);
            EXPECT_EQ(Saved(*plane, textureIndex), SavedPrefix(record));
            // Whatever scale it is given, z stays 1 and is reported as 0.
            plane->SetScale(2, 5, 7);
            EXPECT_EQ(plane->scale.y, 5.0f);
            EXPECT_EQ(plane->scale.z, 1.0f);
            plane->SetScaleZ(9);
            float x, y, z;
            plane->GetScale(x, y, z);
            EXPECT_EQ(plane->scale.z, 1.0f);
            EXPECT_EQ(z, 0.0f);
        }
    }
}

// A record cut anywhere throws at the end of the file and leaves the object
// as it was, down to what it saves.
TEST(ObjectRecord, CutRecordsThrowAndChangeNothing) {
    const std::vector<uint8_t> prefix = SampleObjectPrefix();
    const std::vector<uint8_t> text = SampleTextRecord("Orrin", "Arial", true, true);
    const std::vector<uint8_t> spot = SpotRecord().bytes;
    const auto expectCut = [](auto& item, const std::vector<uint8_t>& record, size_t length) {
        SCOPED_TRACE(testing::Message() << item.ClassName() << ", " << length << " bytes");
        const std::vector<uint8_t> before = Saved(item);
        CFile file;
        ASSERT_TRUE(file.OpenMemory(record.data(), length));
        try {
            item.Load(file, 6);
            ADD_FAILURE() << "the cut record loaded";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.cause, CFileException::endOfFile);
        }
        EXPECT_EQ(Saved(item), before);
    };
    for (size_t length : { size_t(0), size_t(99), size_t(212), OBJECT_RECORD_SIZE - 1 }) {
        COGLObject object;
        expectCut(object, prefix, length);
    }
    COGLPlane plane;
    expectCut(plane, prefix, OBJECT_RECORD_SIZE);  // without its subdivision byte
    COGLText words;
    expectCut(words, text, TEXT_RECORD_SIZE - 1);
    for (size_t length : { size_t(0), LIGHT_RECORD_SIZE, SPOT_LIGHT_RECORD_SIZE - 1 }) {
        COGLSpotLight light(0.0f, 1.0f, 3.0f);
        expectCut(light, spot, length);
        EXPECT_EQ(light.direction[2], -1.0f);
    }
    COGLPointLight point(0.0f, 1.0f, 3.0f);
    expectCut(point, spot, LIGHT_RECORD_SIZE - 1);
}

TEST_F(Light, PointLightRecordLoadsAtItsOffsetsAndSavesBack) {
    COGLPointLight light(0.0f, 1.0f, 3.0f);
    light.SetUnit(0);
    LoadRecord(light, PointRecord(0, 0));
    EXPECT_EQ(light.name, "Lamp");
    EXPECT_EQ(light.ambient[2], 0.3f);
    EXPECT_EQ(light.specular[1], 0.8f);
    EXPECT_EQ(light.Marker().position.z, -3.5f);
    EXPECT_FALSE(light.Marker().IsVisible());
    // Disabled by its record, it keeps its unit and switches it off.
    EXPECT_TRUE(light.HasUnit());
    glEnable(GL_LIGHT0);
    light.Apply(State());
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));

    light.Marker().Show();
    light.enabled = 1;
    EXPECT_EQ(Saved(light), PointRecord(1, 1).bytes);
}

TEST_F(Light, SpotLightRecordContinuesWithOrientationCutoffAndAttenuation) {
    const Bytes record = SpotRecord();
    ASSERT_EQ(record.Size(), SPOT_LIGHT_RECORD_SIZE);
    COGLSpotLight light(0.0f, 1.0f, 3.0f);
    LoadRecord(light, record, 5);
    EXPECT_EQ(light.cutoff, 12.5f);
    EXPECT_EQ(light.exponent, 4.0f);
    EXPECT_EQ(light.constantAttenuation, 0.5f);
    EXPECT_EQ(light.quadraticAttenuation, 0.125f);
    // An unturned marker shines along its own +z.
    EXPECT_EQ(light.direction[0], 0.0f);
    EXPECT_EQ(light.direction[2], 1.0f);
    EXPECT_EQ(Saved(light), record.bytes);
}
