#include "view/CHelpOverlay.h"

#include <GL/gl.h>

#include "view/COGLViewport3D.h"
#include "view/KeyReferencePicture.h"

void CHelpOverlay::CreateTexture() {
    const std::vector<uint8_t> rgba = DrawKeyReferencePicture();
    glGenTextures(1, &helpTexture);
    glBindTexture(GL_TEXTURE_2D, helpTexture);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, KEY_REFERENCE_TEXTURE_WIDTH);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, KEY_REFERENCE_TEXTURE_WIDTH, KEY_REFERENCE_TEXTURE_HEIGHT, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    glPopClientAttrib();
    // Texel for pixel: any filtering could only blur the glyphs.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
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
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const int top = windowHeight - 50;
    const int bottom = windowHeight - 285;
    const float right = static_cast<float>(KEY_REFERENCE_WIDTH) / KEY_REFERENCE_TEXTURE_WIDTH;
    const float upper = static_cast<float>(KEY_REFERENCE_HEIGHT) / KEY_REFERENCE_TEXTURE_HEIGHT;
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord2f(right, upper);
    glVertex2i(50 + KEY_REFERENCE_WIDTH, top);
    glTexCoord2f(0.0f, upper);
    glVertex2i(50, top);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(50, bottom);
    glTexCoord2f(right, 0.0f);
    glVertex2i(50 + KEY_REFERENCE_WIDTH, bottom);
    glEnd();
    glDisable(GL_BLEND);
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
