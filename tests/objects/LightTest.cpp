#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <vector>

#include "objects/COGLPlane.h"
#include "objects/COGLPointLight.h"
#include "objects/COGLSpotLight.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/RecordBytes.h"

namespace {

using Light = GLTest;

std::vector<bool> EnabledUnits() {
    std::vector<bool> enabled;
    for (int i = 0; i < COGLLight::UNIT_COUNT; i++) {
        enabled.push_back(glIsEnabled(GL_LIGHT0 + i));
    }
    return enabled;
}

// A point-light record with a distinct value in each field.
Bytes PointRecord(int32_t markerVisible, int32_t enabled) {
    Bytes b;
    b.Field("Lamp", 100);
    b.F32(0.1f).F32(0.2f).F32(0.3f).F32(1);   // ambient
    b.F32(0.4f).F32(0.5f).F32(0.6f).F32(1);   // diffuse
    b.F32(0.7f).F32(0.8f).F32(0.9f).F32(1);   // specular
    b.F32(1.5f).F32(2.5f).F32(-3.5f);         // position
    b.F32(0);                                 // w
    b.I32(markerVisible);
    b.I32(enabled);
    return b;
}

// Reads the light from the first length bytes of record, to their end.
void ReadRecord(COGLLight& light, const Bytes& record, size_t length, int version = 6) {
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.bytes.data(), length));
    light.Load(file, version);
    EXPECT_EQ(file.GetPosition(), length);
}

Bytes SpotRecord() {
    Bytes b = PointRecord(1, 1);
    b.F32(0).F32(0).F32(0).F32(1);            // marker orientation: none
    b.F32(12.5f);                             // cutoff
    b.F32(4);                                 // exponent
    b.F32(0.5f).F32(0.25f).F32(0.125f);       // attenuations
    return b;
}

}  // namespace

TEST_F(Light, ASceneGivesEightUnitsAndTellsOfTheRestAFewTimes) {
    CCapturedReports reports;
    const std::vector<bool> none = EnabledUnits();
    {
        COGLScene scene;
        scene.BeginLoad("");
        for (int i = 0; i < 20; i++) {
            if (i % 2) {
                scene.AddLight(std::make_unique<COGLSpotLight>(0.0f, 1.0f, 3.0f));
            } else {
                scene.AddLight(std::make_unique<COGLPointLight>(0.0f, 1.0f, 3.0f));
            }
            COGLLight& light = *scene.lights.back();
            EXPECT_EQ(light.HasUnit(), i < 8) << i;
            if (light.HasUnit()) {
                EXPECT_EQ(light.Unit(), static_cast<uint32_t>(GL_LIGHT0 + i));
            }
            light.enabled = i % 2;
            light.Apply(State());
        }
        scene.EndLoad();
        // Three times, then once summed up after them; in message boxes
        // alone, as the editor told it: no error is listed.
        const LoadReport& report = scene.GetLoadReport();
        ASSERT_EQ(report.size(), 4u);
        EXPECT_EQ(report[2].number, 108);
        EXPECT_EQ(report[3].text, "\"No more lights are available.\" came 9 more times.\r\n");
        for (const LoadReportEntry& entry : report) {
            EXPECT_TRUE(entry.boxOnly);
        }
        EXPECT_EQ(reports.Errors(scene), "");
        const std::vector<bool> enabled = EnabledUnits();
        for (int i = 0; i < 8; i++) {
            EXPECT_EQ(enabled[static_cast<size_t>(i)], i % 2 == 1) << i;
        }
    }
    // Destroyed lights leave no unit on for the next scene.
    EXPECT_EQ(EnabledUnits(), none);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Light, ApplySetsTheUnitInTheCurrentCoordinates) {
    COGLPointLight light(1.0f, 2.0f, 3.0f);
    light.SetUnit(0);
    light.diffuse[1] = 0.5f;
    glTranslatef(10, 0, 0);
    light.Apply(State());
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    float position[4], diffuse[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);  // in eye coordinates
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_EQ(position[0], 11.0f);
    EXPECT_EQ(position[3], 1.0f);
    EXPECT_EQ(diffuse[1], 0.5f);

    // w = 0: a direction, not moved by the translation.
    light.w = 0.0f;
    light.Apply(State());
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(position[0], 1.0f);
    EXPECT_EQ(position[3], 0.0f);

    light.enabled = 0;
    light.Apply(State());
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    ExpectStateKnown();
}

TEST_F(Light, SpotDirectionFollowsTheMarkerAndTheUnitGoesBackWithSpotDefaults) {
    {
        COGLSpotLight spot(0.0f, 0.0f, 5.0f);
        spot.SetUnit(0);
        EXPECT_NEAR(spot.direction[2], -1.0f, 1e-6f);
        spot.cutoff = 10.0f;
        spot.exponent = 8.0f;
        spot.Marker().RotateY(90);
        spot.UpdateDirection();
        EXPECT_NEAR(std::abs(spot.direction[0]), 1.0f, 1e-5f);
        EXPECT_NEAR(spot.direction[2], 0.0f, 1e-5f);
        spot.Apply(State());
        float cutoff = 0;
        glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);
        EXPECT_EQ(cutoff, 10.0f);
    }
    float cutoff = 0, exponent = 1, direction[3] = { 1, 1, 1 };
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);
    glGetLightfv(GL_LIGHT0, GL_SPOT_EXPONENT, &exponent);
    glGetLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, direction);
    EXPECT_EQ(cutoff, 180.0f);
    EXPECT_EQ(exponent, 0.0f);
    EXPECT_EQ(direction[2], -1.0f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
}

TEST_F(Light, PointLightRecordLoadsAtItsOffsetsAndSavesBack) {
    COGLPointLight light(0.0f, 1.0f, 3.0f);
    light.SetUnit(0);
    ReadRecord(light, PointRecord(0, 0), LIGHT_RECORD_SIZE);
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
    EXPECT_EQ(SavedBytes([&](CFile& out) { light.Save(out); }), PointRecord(1, 1).bytes);
}

TEST_F(Light, SpotLightRecordContinuesWithOrientationCutoffAndAttenuation) {
    const Bytes record = SpotRecord();
    ASSERT_EQ(record.bytes.size(), SPOT_LIGHT_RECORD_SIZE);
    COGLSpotLight light(0.0f, 1.0f, 3.0f);
    ReadRecord(light, record, SPOT_LIGHT_RECORD_SIZE, 5);
    EXPECT_EQ(light.cutoff, 12.5f);
    EXPECT_EQ(light.exponent, 4.0f);
    EXPECT_EQ(light.constantAttenuation, 0.5f);
    EXPECT_EQ(light.quadraticAttenuation, 0.125f);
    // An unturned marker shines along its own +z.
    EXPECT_EQ(light.direction[0], 0.0f);
    EXPECT_EQ(light.direction[2], 1.0f);
    EXPECT_EQ(SavedBytes([&](CFile& out) { light.Save(out); }), record.bytes);
}

TEST_F(Light, ShortLightRecordsThrowAndChangeNothing) {
    const Bytes spot = SpotRecord();
    for (size_t length : { size_t(0), LIGHT_RECORD_SIZE, SPOT_LIGHT_RECORD_SIZE - 1 }) {
        COGLSpotLight light(0.0f, 1.0f, 3.0f);
        EXPECT_THROW(ReadRecord(light, spot, length), CFileException);
        EXPECT_EQ(light.name, "Spot Light");
        EXPECT_EQ(light.Marker().position.z, 3.0f);
        EXPECT_EQ(light.direction[2], -1.0f);
    }
    COGLPointLight point(0.0f, 1.0f, 3.0f);
    EXPECT_THROW(ReadRecord(point, spot, LIGHT_RECORD_SIZE - 1), CFileException);
    EXPECT_EQ(point.name, "Point");
}

namespace {

// A white, purely diffuse surface under the lights of the test, nothing
// else: where no light reaches it stays black.
class LightDraw : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        EmissionOnlyLighting();
        glEnable(GL_NORMALIZE);  // as the viewport does: the objects are scaled
    }
};

}  // namespace

TEST_F(LightDraw, SpotLightLightsOnlyInsideItsCutoff) {
    COGLPlane floor;  // faces the viewer, +z
    floor.SetAmbient(0, 0, 0, 1);
    floor.SetDiffuse(1, 1, 1, 1);
    floor.SetScale(4, 4, 1);
    floor.subdivided = true;  // lit per vertex: the cone needs vertices inside it
    COGLSpotLight light(0.0f, 0.0f, 5.0f);
    light.SetUnit(0);
    light.Marker().Hide();

    // 30 degrees from 5 units away: a lit disk of radius 2.9.
    light.Apply(State());
    floor.Draw(State(), DRAW_MATERIAL);
    EXPECT_GT(PixelAt(0, 0).r, 150);
    EXPECT_GT(PixelAt(1.5f, 0).r, 100);
    EXPECT_TRUE(ColorNear(PixelAt(3.7f, 0), 0, 0, 0, 4));

    Clear();
    light.cutoff = 10.0f;  // radius 0.9
    light.Apply(State());
    floor.Draw(State(), DRAW_MATERIAL);
    EXPECT_TRUE(ColorNear(PixelAt(1.5f, 0), 0, 0, 0, 4));
}
