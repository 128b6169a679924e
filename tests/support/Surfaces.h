#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "image/COGLTexture2D.h"
#include "objects/COGLObject.h"

// Only the emission shows under GLTest::EmissionOnlyLighting.
inline void Glow(COGLObject& object, float r, float g, float b, float alpha = 1.0f) {
    object.SetAmbient(0, 0, 0, 1);
    object.SetDiffuse(0, 0, 0, alpha);
    object.SetEmission(r, g, b, 1);
}

// An 8 x 1 texture: channel left (0 red, 1 green, 2 blue) full for s < 0.5,
// channel right above; wide enough that filtering blends only near the seam.
inline std::unique_ptr<COGLTexture2D> HalvedTexture(int left, int right) {
    uint8_t texels[8 * 3] = {};
    for (int i = 0; i < 8; i++) {
        texels[3 * i + (i < 4 ? left : right)] = 255;
    }
    auto texture = std::make_unique<COGLTexture2D>();
    EXPECT_TRUE(texture->CreateFromPixels(texels, 8, 1));
    return texture;
}
