#pragma once

#include <cstddef>
#include <cstdint>

#include "math/CVector.h"

class CFile;

// Size of the camera record in a scene file.
constexpr size_t CAMERA_RECORD_SIZE = 52;

// The orbit camera: the scene is shifted by center, turned by the three
// angles and pushed back by distance. From the resulting modelview matrix it
// derives the world axes nearest to the screen's right, up and backward
// directions, so that panning always moves along x, y or z.
class COGLCamera3D {
public:
    enum ViewKind { VIEW_PERSPECTIVE, VIEW_TOP, VIEW_FRONT, VIEW_LEFT, VIEW_RIGHT };

    COGLCamera3D();

    // Multiplies the current modelview matrix by the camera transform and,
    // after any change, recomputes the pan axes, eye and up from it. Needs
    // the OpenGL context current; the viewport loads the identity first.
    void Apply();
    void GetCenter(float& x, float& y, float& z) const;
    // Percent of the default distance: 100 at 8, 200 at 4.
    float GetZoom() const;
    // Preset views: the Reset values with one angle turned. The result says
    // whether the view looks straight down (true only for the top view).
    bool SetViewRight();
    bool SetViewLeft();
    bool SetViewTop();
    // Front view from distance 8 at the origin.
    void Reset();
    // Pans along the snapped axes of the last Apply.
    void MoveUp(float amount);
    void MoveRight(float amount);
    void MoveForward(float amount);
    // Changes the distance, never below 0.
    void Zoom(float delta);
    // Turns about x, y or z by delta degrees, kept within [0, 360).
    void OrbitX(float delta);
    void OrbitY(float delta);
    void OrbitZ(float delta);
    // Reads the camera record; throws CFileException, before changing
    // anything, when the file ends first. The version is not consulted.
    void Load(CFile& file, int version);
    // The same 13 floats: center, eye, up, distance, angles z, x and y.
    void Save(CFile& file) const;

    // "Perspective", "Top", "Front", "Left" or "Right".
    const char* GetViewName() const;

    CVector dvUp;      // world axis nearest the screen's up direction
    CVector dvRight;   // ... its right direction
    CVector dvFace;    // ... its backward direction (towards the viewer)
    CVector center;    // translation applied last to the modelview
    CVector eye;       // where objects are measured from for depth sorting
    CVector up;        // the screen's up direction in world coordinates, unsnapped
    CVector right;     // ... and its right direction
    int32_t viewKind = VIEW_FRONT;
    float   distance = 8.0f;
    float   angleZ = 0.0f;
    float   angleX = 0.0f;
    float   angleY = 0.0f;
    // The axes, eye and up are recomputed at the next Apply.
    bool    dirty = true;


private:
    void ResetWithAngles(float x, float y, ViewKind kind);
    void UpdateAxes();
};
