#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <vector>

#include "objects/COGLObject.h"
#include "objects/COGLPointLight.h"
#include "objects/COGLSpotLight.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"

namespace {

using Light = GLTest;

std::vector<bool> EnabledUnits() {
    std::vector<bool> enabled;
    for (int i = 0; i < COGLLight::UNIT_COUNT; i++) {
        enabled.push_back(glIsEnabled(GL_LIGHT0 + i));
    }
    return enabled;
}

}  // namespace

TEST_F(Light, ASceneGivesEightUnitsAndTellsOfTheRestAFewTimes) {
    CCapturedReports reports;
    const std::vector<bool> none = EnabledUnits();
    {
        COGLScene scene;
        scene.BeginLoad("");
        for (int i = 0; i < 20; i++) {
            scene.AddLight(i % 2 ? std::unique_ptr<COGLLight>(new COGLSpotLight(0.0f, 1.0f, 3.0f))
                                 : std::unique_ptr<COGLLight>(new COGLPointLight(0.0f, 1.0f, 3.0f)));
            COGLLight& light = *scene.lights.back();
            EXPECT_EQ(light.HasUnit(), i < 8) << i;
            if (light.HasUnit()) {
                EXPECT_EQ(light.Unit(), static_cast<uint32_t>(GL_LIGHT0 + i));
            }
            light.enabled = i % 2;
            light.Apply(State());
        }
        scene.EndLoad();
        EXPECT_EQ(EnabledUnits(), (std::vector<bool>{ false, true, false, true, false, true, false, true }));
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
