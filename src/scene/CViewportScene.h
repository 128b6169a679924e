#pragma once

class CGLState;
class CVector;

// What a viewport needs of the scene it draws: the scene draws its own
// background, ambient light, contents and selection geometry once the
// viewport has set up the projection, the camera and the state's baseline.
class CViewportScene {
public:
    virtual ~CViewportScene() = default;

    virtual bool HasBackgroundImage() const = 0;
    // Covers the viewport's width x height pixels with the background image.
    virtual bool DrawBackground(CGLState& gl, int width, int height) = 0;
    // Sets the light-model ambient colour.
    virtual void ApplyAmbient() = 0;
    // Lights, objects and shadows, the objects drawn with drawFlags; eye is
    // the camera's eye, which orders the objects, and right its unsnapped
    // right direction, which chrome surfaces follow.
    virtual void Render(CGLState& gl, int drawFlags, const CVector& eye, const CVector& right) = 0;
    // Every light's and every object's selection geometry, in list order.
    virtual void DrawForSelection() = 0;
};
