#include "view/CHelpOverlay.h"

#include <GL/gl.h>

#include "view/COGLViewport3D.h"
#include "view/KeyReferencePicture.h"

std::vector<uint8_t> CHelpOverlay::BlackTransparent(const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> rgba;
    rgba.reserve(rgb.size() / 3 * 4);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const bool black = rgb[i] == 0 && rgb[i + 1] == 0 && rgb[i + 2] == 0;
        rgba.insert(rgba.end(), { rgb[i], rgb[i + 1], rgb[i + 2], static_cast<uint8_t>(black ? 0 : 255) });
    }
    return rgba;
}

void CHelpOverlay::CreateTexture() {
    const std::vector<uint8_t> rgba = BlackTransparent(DrawKeyReferencePicture());
    glGenTextures(1, &helpTexture);
    glBindTexture(GL_TEXTURE_2D, helpTexture);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, KEY_REFERENCE_SIZE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, KEY_REFERENCE_SIZE, KEY_REFERENCE_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
    glPopClientAttrib();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void CHelpOverlay::Draw(COGLViewport3D& viewport, int windowHeight) {
    glPushAttrib(GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_HINT_BIT | GL_CURRENT_BIT);
    if (helpTexture == 0) {
        CreateTexture();
    }
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    viewport.Begin2D();
    glBindTexture(GL_TEXTURE_2D, helpTexture);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_NOTEQUAL, 0.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const int top = windowHeight - 50;
    const int bottom = windowHeight - 285;
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2i(487, top);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2i(50, top);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(50, bottom);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(487, bottom);
    glEnd();
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    viewport.End2D();
    glPopAttrib();
}

void CHelpOverlay::DeleteTexture() {
    if (helpTexture != 0) {
        glDeleteTextures(1, &helpTexture);
        helpTexture = 0;
    }
}
