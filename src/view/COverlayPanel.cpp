#include "view/COverlayPanel.h"

#include <GL/gl.h>

#include <algorithm>

#include "platform/CGLState.h"
#include "view/COGLViewport3D.h"

namespace {

// OpenGL 1.1 textures have sides of powers of two.
int PowerOfTwoAtLeast(int size) {
    int power = 1;
    while (power < size) {
        power *= 2;
    }
    return power;
}

} // namespace

int OverlayTextSize(int windowHeight) {
    return std::max(windowHeight / 40, 11);
}

void COverlayPanel::SetText(COverlayFont& font, const std::vector<std::string>& newLines, int textSize,
                            int minimumSize, int maxWidth, int maxHeight, PanelColour newColour) {
    if (newLines == lines && textSize == preferredSize && maxWidth == boxWidth && maxHeight == boxHeight &&
        newColour.r == colour.r && newColour.g == colour.g && newColour.b == colour.b) {
        return;
    }
    lines = newLines;
    preferredSize = textSize;
    boxWidth = maxWidth;
    boxHeight = maxHeight;
    colour = newColour;
    const int fitted = font.FitTextSize(lines, textSize, minimumSize, maxWidth, maxHeight);
    picture = font.DrawPanel(lines, fitted, colour);
    uploaded = false;
}

void COverlayPanel::Upload(CGLState& gl) {
    if (texture == 0) {
        glGenTextures(1, &texture);
    }
    gl.BindTexture(texture);
    const int neededWidth = PowerOfTwoAtLeast(picture.width);
    const int neededHeight = PowerOfTwoAtLeast(picture.height);
    if (neededWidth > textureWidth || neededHeight > textureHeight) {
        textureWidth = std::max(neededWidth, textureWidth);
        textureHeight = std::max(neededHeight, textureHeight);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, textureWidth, textureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture.width, picture.height, GL_RGBA, GL_UNSIGNED_BYTE,
                    picture.rgba.data());
    glPopClientAttrib();
    // Texel for pixel: any filtering could only blur the glyphs.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    uploaded = true;
}

void COverlayPanel::Draw(CGLState& gl, COGLViewport3D& viewport, int left, int top, int windowHeight) {
    if (picture.width <= 0 || picture.height <= 0) {
        return;
    }
    if (!uploaded) {
        Upload(gl);
    }
    viewport.Begin2D(gl, GLS_TEXTURE_2D | GLS_BLEND);
    gl.BindTexture(texture);
    gl.TextureEnvMode(GL_REPLACE);
    const int x0 = left;
    const int x1 = left + picture.width;
    const int y1 = windowHeight - top;
    const int y0 = y1 - picture.height;
    const float s = static_cast<float>(picture.width) / textureWidth;
    const float t = static_cast<float>(picture.height) / textureHeight;
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord2f(s, t);
    glVertex2i(x1, y1);
    glTexCoord2f(0.0f, t);
    glVertex2i(x0, y1);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(x0, y0);
    glTexCoord2f(s, 0.0f);
    glVertex2i(x1, y0);
    glEnd();
    viewport.End2D();
}

void COverlayPanel::DeleteTexture() {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
        texture = 0;
        textureWidth = 0;
        textureHeight = 0;
        uploaded = false;
    }
}
