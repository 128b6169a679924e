#pragma once

#include "objects/COGLLight.h"

// A light shining from one point in every direction; its marker is a small
// sphere.
class COGLPointLight : public COGLLight {
public:
    COGLPointLight(float x, float y, float z);

    const char* ClassName() const override { return "COGLPointLight"; }
    void Apply(CGLState& gl) override;
};
