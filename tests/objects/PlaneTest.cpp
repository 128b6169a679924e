#include <GL/gl.h>

#include <cmath>
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

void ExpectPlane(const float actual[4], float a, float b, float c, float d) {
    EXPECT_NEAR(actual[0], a, 1e-5f);
    EXPECT_NEAR(actual[1], b, 1e-5f);
    EXPECT_NEAR(actual[2], c, 1e-5f);
    EXPECT_NEAR(actual[3], d, 1e-4f);
}

}  // namespace

TEST_F(Plane, TheDiskHasListsOfItsOwnButKeepsThePlaneMesh) {
    COGLPlane plane;
    COGLDisk disk;
    COGLBillboard billboard;
    EXPECT_NE(disk.solidList, plane.solidList);
    EXPECT_EQ(disk.selectionList, disk.solidList);
    EXPECT_EQ(disk.meshList, plane.meshList);
    EXPECT_EQ(billboard.solidList, plane.solidList);
    EXPECT_EQ(billboard.scale.x, 1.0f);
}

TEST_F(Plane, ZScaleIsAlwaysOneAndReportedAsZero) {
    for (const auto& plane : EveryKind()) {
        SCOPED_TRACE(plane->name);
        plane->SetScale(2, 5, 7);
        EXPECT_EQ(plane->scale.x, 2.0f);
        EXPECT_EQ(plane->scale.y, 5.0f);
        EXPECT_EQ(plane->scale.z, 1.0f);
        plane->SetScaleZ(9);
        EXPECT_EQ(plane->scale.z, 1.0f);
        float x, y, z;
        plane->GetScale(x, y, z);
        EXPECT_EQ(x, 2.0f);
        EXPECT_EQ(y, 5.0f);
        EXPECT_EQ(z, 0.0f);
    }
}

TEST_F(Plane, EquationsFaceFrontAndAreLiftedByOneThousandth) {
    float equation[4];
    COGLFloor floor;
    floor.GetPlaneEquation(equation);
    ExpectPlane(equation, 0, 4, 0, -0.004f);

    COGLCeiling ceiling;
    ceiling.GetPlaneEquation(equation);
    ExpectPlane(equation, 0, -4, 0, 4 * 5.999f);

    COGLRightWall right;
    right.GetPlaneEquation(equation);
    ExpectPlane(equation, -4, 0, 0, 4 * 2.999f);

    COGLLeftWall left;
    left.GetPlaneEquation(equation);
    ExpectPlane(equation, 4, 0, 0, 4 * 2.999f);

    // Scale does not enter the equation: it stays that of a 2 x 2 square.
    COGLPlane plane;
    plane.SetScale(10, 10, 1);
    plane.SetPosition(0, 0, 2);
    plane.GetPlaneEquation(equation);
    ExpectPlane(equation, 0, 0, 4, -4 * 2.001f);
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

TEST_F(Plane, RecordIsThePrefixAndOneSubdivisionByte) {
    std::vector<uint8_t> record = SampleObjectPrefix();
    record.push_back(1);
    ASSERT_EQ(record.size(), 272u);
    for (const auto& plane : EveryKind()) {
        SCOPED_TRACE(plane->name);
        CFile file;
        ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
        EXPECT_EQ(plane->Load(file, 5), 3);
        EXPECT_EQ(file.GetPosition(), 272u);
        EXPECT_TRUE(plane->subdivided);
        EXPECT_EQ(plane->name, "Crate");
    }

    record.back() = 0;
    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.data(), record.size()));
    COGLPlane plane;
    plane.subdivided = true;
    plane.Load(file, 6);
    EXPECT_FALSE(plane.subdivided);
}

TEST_F(Plane, SaveWritesTheTailByteAfterThePrefix) {
    COGLFloor floor;
    floor.subdivided = true;
    const std::vector<uint8_t> bytes = SavedBytes([&](CFile& file) { floor.Save(file, 2); });
    ASSERT_EQ(bytes.size(), 272u);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data()), "Floor");
    EXPECT_EQ(FloatAt(bytes, 184), 3.0f);  // scale x
    EXPECT_EQ(FloatAt(bytes, 192), 1.0f);  // scale z
    EXPECT_EQ(IntAt(bytes, 223), 2);       // texture index
    EXPECT_EQ(bytes[271], 1);
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
