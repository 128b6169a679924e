#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "objects/COGLBillboard.h"
#include "objects/COGLCeiling.h"
#include "objects/COGLDisk.h"
#include "objects/COGLFloor.h"
#include "objects/COGLLeftWall.h"
#include "objects/COGLPlane.h"
#include "objects/COGLRightWall.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "support/GLTest.h"
#include "support/RecordBytes.h"

namespace {

using Plane = GLTest;

std::vector<std::unique_ptr<COGLPlane>> EveryKind() {
    std::vector<std::unique_ptr<COGLPlane>> planes;
    planes.push_back(std::make_unique<COGLPlane>());
    planes.push_back(std::make_unique<COGLFloor>());
    planes.push_back(std::make_unique<COGLRightWall>());
    planes.push_back(std::make_unique<COGLLeftWall>());
    planes.push_back(std::make_unique<COGLCeiling>());
    planes.push_back(std::make_unique<COGLDisk>());
    planes.push_back(std::make_unique<COGLBillboard>());
    return planes;
}

}  // namespace

TEST_F(Plane, ZScaleIsAlwaysOneAndReportedAsZero) {
    for (const auto& plane : EveryKind()) {
        SCOPED_TRACE(plane->name);
        plane->SetScale(2, 5, 7);
        EXPECT_EQ(plane->scale.y, 5.0f);
        EXPECT_EQ(plane->scale.z, 1.0f);
        plane->SetScaleZ(9);
        EXPECT_EQ(plane->scale.z, 1.0f);
        float x, y, z;
        plane->GetScale(x, y, z);
        EXPECT_EQ(z, 0.0f);
    }
}

TEST_F(Plane, EquationsFaceFrontAndAreLiftedByOneThousandth) {
    COGLFloor floor;
    COGLCeiling ceiling;
    COGLRightWall right;
    COGLLeftWall left;
    // Scale does not enter the equation: it stays that of a 2 x 2 square.
    COGLPlane plane;
    plane.SetScale(10, 10, 1);
    plane.SetPosition(0, 0, 2);
    const struct {
        COGLPlane& plane;
        float expected[4];
    } cases[] = {
        { floor, { 0, 4, 0, -0.004f } },
        { ceiling, { 0, -4, 0, 4 * 5.999f } },
        { right, { -4, 0, 0, 4 * 2.999f } },
        { left, { 4, 0, 0, 4 * 2.999f } },
        { plane, { 0, 0, 4, -4 * 2.001f } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plane.name);
        float equation[4];
        c.plane.GetPlaneEquation(equation);
        for (int i = 0; i < 4; i++) {
            EXPECT_NEAR(equation[i], c.expected[i], i < 3 ? 1e-5f : 1e-4f) << "coefficient " << i;
        }
    }
}

TEST_F(Plane, EquationLeavesTheMatrixStateAlone) {
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_PROJECTION);
    COGLFloor floor;
    float equation[4];
    floor.GetPlaneEquation(equation);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(modelview[14], 3.0);
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(Plane, RecordIsThePrefixAndOneSubdivisionByteAndSavesBack) {
    std::vector<uint8_t> record = SampleObjectPrefix();
    record.push_back(0);
    ASSERT_EQ(record.size(), 272u);
    for (int subdivided : { 1, 0 }) {
        record.back() = static_cast<uint8_t>(subdivided);
        // The save writes the position x that won, as for any object.
        std::vector<uint8_t> expected = record;
        std::memcpy(expected.data() + 196, expected.data() + 208, 4);
        for (const auto& plane : EveryKind()) {
            SCOPED_TRACE(testing::Message() << plane->name << ", subdivided " << subdivided);
            plane->subdivided = !subdivided;
            CFile file;
            ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
            const int textureIndex = plane->Load(file, 5);
            EXPECT_EQ(textureIndex, 3);
            EXPECT_EQ(file.GetPosition(), 272u);
            EXPECT_EQ(plane->subdivided, subdivided == 1);
            EXPECT_EQ(plane->name, "Crate");
            EXPECT_EQ(SavedBytes([&](CFile& out) { plane->Save(out, textureIndex); }), expected);
        }
    }
}

TEST_F(Plane, ARecordWithoutItsTailThrowsAndChangesNothing) {
    const std::vector<uint8_t> prefixOnly = SampleObjectPrefix();
    CFile file;
    ASSERT_TRUE(file.OpenMemory(prefixOnly.data(), prefixOnly.size()));
    COGLPlane plane;
    try {
        plane.Load(file, 6);
        ADD_FAILURE() << "a 271-byte plane record loaded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.cause, CFileException::endOfFile);
    }
    EXPECT_EQ(plane.name, "Plane");
    EXPECT_EQ(plane.scale.x, 3.0f);
}
