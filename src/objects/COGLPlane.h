#pragma once

#include "objects/COGLObject.h"
#include "objects/QuadricList.h"

// Size of a plane record: the object prefix and one byte, subdivided.
constexpr size_t PLANE_RECORD_SIZE = OBJECT_RECORD_SIZE + 1;

// A two-sided square from -1 to 1 in its own x-y plane, facing +z. Its kinds
// (floor, walls, ceiling, disk, billboard) are the same square turned, placed
// or drawn differently. Planes are flat: their z scale is always 1. The scene
// projects shadows onto planes through GetPlaneEquation.
class COGLPlane : public COGLObject {
public:
    COGLPlane();

    const char* ClassName() const override { return "COGLPlane"; }
    // The highlight, lifted 0.01 along the parent's z so it does not fight
    // with the plane's own pixels.
    void DrawSelected(CGLState& gl) override;
    // The mesh when subdivided, else the square.
    void DrawSolid() override;
    void Save(CFile& file, int textureIndex) const override;
    int  Load(CFile& file, int version) override;
    // Reports a z scale of 0: the square has no depth.
    void GetScale(float& x, float& y, float& z) const override;
    void SetScale(float x, float y, float z) override;
    void SetScaleZ(float z) override;

    // The world-space plane (a, b, c, d) with a x + b y + c z + d = 0, lifted
    // 0.001 along the front normal so that shadows projected onto it are
    // drawn just above it. (a, b, c) is not normalised. Uses the modelview
    // stack of the current context and leaves it as it was.
    void GetPlaneEquation(float out[4]);

    // Forgets the class's lists; called when their context is deleted.
    static void ResetLists();

    // The square as 24 x 24 cells, shared by all planes.
    uint32_t meshList = 0;
    // Draws the mesh with generated texture coordinates instead of the quad:
    // finer tessellation for per-vertex lighting, and the same texture
    // mapping as long as the texture is not rotated.
    bool     subdivided = false;

protected:
    void DrawGeometry(CGLState& gl, uint32_t bits, uint32_t list, int flags) override;
    // The first plane drawn builds the class's lists.
    void PrepareLists() override;

private:
    void CallMeshTextured(CGLState& gl, uint32_t bits) const;

    static SharedLists lists;
    static uint32_t    sharedMeshList;
};
