#include "objects/COGLPointLight.h"

#include <GL/gl.h>

#include "objects/COGLSphere.h"

COGLPointLight::COGLPointLight(float x, float y, float z) {
    name = "Point";
    auto sphere = std::make_unique<COGLSphere>();
    sphere->SetPosition(x, y, z);
    sphere->SetScale(0.15f, 0.15f, 0.15f);
    SetMarker(std::move(sphere));
    w = 1.0f;
}

void COGLPointLight::Apply(CGLState& gl) {
    if (HasUnit()) {
        if (enabled) {
            SetUpUnit();
        } else {
            glDisable(Unit());
        }
    }
    DrawMarker(gl);
}
