#pragma once

#include <cstdint>

#include "scene/CSceneView.h"
#include "view/COGLCamera3D.h"

class CFile;
class CGLState;
class CSettingsStore;
class CViewportScene;

// One rectangle of the viewer window with its own camera, perspective
// projection and OpenGL state. Draws the scene every frame, with the floor
// grid and the axis indicator when they are switched on; sets up picking.
// Everything but the constructor needs the OpenGL context current.
class COGLViewport3D : public CSceneView {
public:
    // Render style 129; the grid and axis switches as settings holds them.
    // The viewer passes AppSettings(); the store must outlive the viewport.
    explicit COGLViewport3D(CSettingsStore& settings);
    // Writes the grid and axis switches back to the settings.
    ~COGLViewport3D() override;
    COGLViewport3D(const COGLViewport3D&) = delete;
    COGLViewport3D& operator=(const COGLViewport3D&) = delete;

    // One frame: nothing at all when disabled. Resets the state to the
    // render style's baseline, whatever it was; leaves the viewport, the
    // projection and the camera's modelview set.
    void Draw(CViewportScene& scene, CGLState& gl);
    // The state the render style draws in: the frame's baseline.
    uint32_t StateBits() const;
    // Projection narrowed to 5 x 5 pixels around the cursor (window
    // coordinates, origin at the bottom left), then the scene's selection
    // geometry. The caller owns the selection buffer and the render mode.
    void SetupPicking(int cursorX, int cursorY, CViewportScene& scene);
    bool IsOrtho() const { return false; }
    // Square grid of side 2 halfSize in the plane y = 0, divisions cells a
    // side, with lighter centre lines.
    void DrawGrid(CGLState& gl, float halfSize, float divisions);
    // The world axes as the camera turns them, at a fixed spot near the
    // lower-left corner.
    void DrawAxisIndicator(CGLState& gl);
    // Pixels between the axis indicator and the left and bottom edges.
    int  AxisIndicatorOffset() const;
    // Pixel coordinates over the viewport, unlit, no depth test, with the
    // extra bits given; End2D restores the matrices.
    void Begin2D(CGLState& gl, uint32_t extraBits);
    void End2D();
    // The whole viewport in one colour; between Begin2D and End2D.
    void FillBackground(float r, float g, float b);
    // 0, 1, 32, 33, 65 or 129 set the OpenGL state that goes with them;
    // any code is also the draw flags handed to the scene.
    void SetRenderStyle(int style);
    // Version 6 and later store the field of view; earlier files have none.
    // Throws CFileException when the file ends first.
    void Load(CFile& file, int version);
    static void ReadFieldOfView(CFile& file, int version, float& into);
    void LoadFieldOfView(CFile& file, int version) override { Load(file, version); }
    void LoadCamera(CFile& file, int version) override { camera.Load(file, version); }

    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    COGLCamera3D camera;
    float    gridHalfSize = 3.0f;
    float    gridDivisions = 12.0f;
    bool     gridOn = false;
    bool     axisIndicatorOn = false;
    bool     enabled = true;
    static constexpr float DEFAULT_FIELD_OF_VIEW = 45.0f;
    float    fieldOfView = DEFAULT_FIELD_OF_VIEW;   // vertical, degrees
    float    zNear = 0.5f;
    float    zFar = 32.0f;
    bool     lighting = true;
    uint32_t polygonMode = 0;
    uint32_t shadeModel = 0;
    uint32_t depthFunction = 0;     // 0: no depth test
    uint32_t cullFace = 0;          // 0: no culling
    int32_t  renderStyle = 0;
    // Built on first use; goes with the context's other lists.
    uint32_t axisList = 0;

private:
    CSettingsStore& settings;

    void SetUpLighting(CViewportScene& scene) const;
    void SetUpPerspective() const;
    void BuildOrCallAxisList();
};
