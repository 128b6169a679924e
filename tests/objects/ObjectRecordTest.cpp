#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "objects/COGLFloor.h"
#include "objects/COGLPointLight.h"
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

// A plane's record: the object prefix, then its subdivision byte.
TEST(ObjectRecord, FieldsAreReadAtTheirOffsetsAndSavedBack) {
    std::vector<uint8_t> record = SampleObjectPrefix();
    record.push_back(1);
    ASSERT_EQ(record.size(), PLANE_RECORD_SIZE);
    COGLFloor floor;
    const uint32_t selectionName = floor.SelectionName();
    EXPECT_EQ(LoadRecord(floor, record), 3);  // the texture index
    EXPECT_EQ(floor.name, "Crate");
    EXPECT_FLOAT_EQ(floor.ambient[0], 0.05f);
    EXPECT_FLOAT_EQ(floor.emission[3], 0.80f);
    EXPECT_EQ(floor.shininess, 32.0f);
    EXPECT_EQ(floor.orientation.w, 0.9f);
    EXPECT_EQ(floor.position.x, -8.0f);  // the repeated x wins over the first
    EXPECT_EQ(floor.position.y, 6.0f);
    EXPECT_TRUE(floor.transparent);
    EXPECT_FALSE(floor.animating);
    EXPECT_EQ(floor.renderMode, 2);
    EXPECT_EQ(floor.textureTranslation.z, 0.75f);
    EXPECT_EQ(floor.reservedB, 7);
    EXPECT_TRUE(floor.subdivided);
    EXPECT_EQ(floor.SelectionName(), selectionName);  // not part of the record
    std::memcpy(record.data() + 196, record.data() + 208, 4);  // saved: the x that won
    EXPECT_EQ(Saved(floor, 3), record);
    // Whatever scale a plane is given, z stays 1 and is reported as 0.
    floor.SetScale(2, 5, 7);
    floor.SetScaleZ(9);
    float x, y, z;
    floor.GetScale(x, y, z);
    EXPECT_EQ(floor.scale.z, 1.0f);
    EXPECT_EQ(z, 0.0f);
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
