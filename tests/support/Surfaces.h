#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "objects/COGLObject.h"

// Only the emission shows under GLTest::EmissionOnlyLighting.
inline void Glow(COGLObject& object, float r, float g, float b, float alpha = 1.0f) {
    object.SetAmbient(0, 0, 0, 1);
    object.SetDiffuse(0, 0, 0, alpha);
    object.SetEmission(r, g, b, 1);
}

// A texture of tightly packed RGB (or RGBA) texels, first row at t = 0,
// uploaded when it is first drawn.
inline std::unique_ptr<COGLTexture2D> TextureOfTexels(const uint8_t* texels, int width, int height, bool rgba) {
    auto picture = std::make_shared<COGLImage>();
    picture->width = width;
    picture->height = height;
    picture->transparent = picture->hasAlpha = rgba;
    picture->pixels.assign(texels, texels + static_cast<size_t>(width) * height * (rgba ? 4 : 3));
    return std::make_unique<COGLTexture2D>(std::move(picture));
}

// An 8 x 1 texture: channel left (0 red, 1 green, 2 blue) full for s < 0.5,
// channel right above; wide enough that filtering blends only near the seam.
inline std::unique_ptr<COGLTexture2D> HalvedTexture(int left, int right) {
    uint8_t texels[8 * 3] = {};
    for (int i = 0; i < 8; i++) {
        texels[3 * i + (i < 4 ? left : right)] = 255;
    }
    return TextureOfTexels(texels, 8, 1, false);
}
