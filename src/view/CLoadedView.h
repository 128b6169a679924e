#pragma once

#include "scene/CSceneView.h"
#include "view/COGLCamera3D.h"
#include "view/COGLViewport3D.h"

// The camera and field of view a scene file (or a scene made for a model
// file) gives, read aside from the viewport so that a scene opened over
// another changes nothing on screen until it has loaded.
class CLoadedView : public CSceneView {
public:
    CLoadedView() = default;

    void LoadFieldOfView(CFile& file, int version) override {
        COGLViewport3D::ReadFieldOfView(file, version, fieldOfView);
    }
    void LoadCamera(CFile& file, int version) override { camera.Load(file, version); }

    COGLCamera3D camera;
    // A file older than version 6 holds none: a new viewport's.
    float        fieldOfView = COGLViewport3D::DEFAULT_FIELD_OF_VIEW;
};
