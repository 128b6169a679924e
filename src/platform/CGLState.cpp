#include "platform/CGLState.h"

#include <GL/gl.h>

namespace {

struct Capability {
    uint32_t bit;
    GLenum   cap;
};

// The switches that are a plain glEnable each.
const Capability capabilities[] = {
    { GLS_BLEND, GL_BLEND },
    { GLS_DEPTH_TEST, GL_DEPTH_TEST },
    { GLS_ALPHA_TEST, GL_ALPHA_TEST },
    { GLS_TEXTURE_2D, GL_TEXTURE_2D },
    { GLS_TEXGEN_ST, GL_TEXTURE_GEN_S },
    { GLS_TEXGEN_ST, GL_TEXTURE_GEN_T },
    { GLS_CULL, GL_CULL_FACE },
    { GLS_LIGHTING, GL_LIGHTING },
    { GLS_COLOR_MATERIAL, GL_COLOR_MATERIAL },
    { GLS_NORMALIZE, GL_NORMALIZE },
    { GLS_AUTO_NORMAL, GL_AUTO_NORMAL },
    { GLS_LINE_SMOOTH, GL_LINE_SMOOTH },
    { GLS_POINT_SMOOTH, GL_POINT_SMOOTH },
    { GLS_POLYGON_OFFSET_LINE, GL_POLYGON_OFFSET_LINE },
    { GLS_STENCIL_TEST, GL_STENCIL_TEST },
    { GLS_DITHER, GL_DITHER },
};

GLenum PolygonMode(uint32_t bits) {
    if (bits & GLS_POLYGON_POINT) {
        return GL_POINT;
    }
    return (bits & GLS_POLYGON_LINE) ? GL_LINE : GL_FILL;
}

}  // namespace

void CGLState::Switch(uint32_t changed, uint32_t wanted) {
    for (const Capability& c : capabilities) {
        if (changed & c.bit) {
            if (wanted & c.bit) {
                glEnable(c.cap);
            } else {
                glDisable(c.cap);
            }
        }
    }
    if (changed & GLS_BLEND_ADD) {
        if (wanted & GLS_BLEND_ADD) {
            glBlendFunc(GL_ONE, GL_ONE);
        } else {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
    }
    if (changed & GLS_DEPTH_WRITE) {
        glDepthMask((wanted & GLS_DEPTH_WRITE) ? GL_TRUE : GL_FALSE);
    }
    if (changed & GLS_ALPHA_HALF) {
        glAlphaFunc(GL_GREATER, (wanted & GLS_ALPHA_HALF) ? 0.5f : 0.1f);
    }
    if (changed & GLS_CULL_FRONT) {
        glCullFace((wanted & GLS_CULL_FRONT) ? GL_FRONT : GL_BACK);
    }
    if (changed & GLS_FRONT_CW) {
        glFrontFace((wanted & GLS_FRONT_CW) ? GL_CW : GL_CCW);
    }
    if (changed & GLS_SHADE_FLAT) {
        glShadeModel((wanted & GLS_SHADE_FLAT) ? GL_FLAT : GL_SMOOTH);
    }
    if (changed & (GLS_POLYGON_LINE | GLS_POLYGON_POINT)) {
        glPolygonMode(GL_FRONT_AND_BACK, PolygonMode(wanted));
    }
    if (changed & GLS_COLOR_WRITE) {
        const GLboolean write = (wanted & GLS_COLOR_WRITE) ? GL_TRUE : GL_FALSE;
        glColorMask(write, write, write, write);
    }
}

void CGLState::Reset(uint32_t wanted) {
    Switch(~0u, wanted);
    bits = wanted;
    baseline = wanted;
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBindTexture(GL_TEXTURE_2D, 0);
    boundTexture = 0;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    envMode = GL_MODULATE;
}

void CGLState::Adopt() {
    bits = Query();
    baseline = bits;
    // Functions the bits cannot tell, such as the default one-zero blend,
    // are made the ones the bits say.
    Switch(GLS_BLEND_ADD | GLS_ALPHA_HALF, bits);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    boundTexture = static_cast<uint32_t>(bound);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    envMode = mode;
}

void CGLState::Apply(uint32_t wanted) {
    const uint32_t changed = bits ^ wanted;
    if (changed != 0) {
        Switch(changed, wanted);
        bits = wanted;
    }
}

void CGLState::Clear(uint32_t buffers) {
    Apply(bits | GLS_DEPTH_WRITE | GLS_COLOR_WRITE);
    glClear(buffers);
}

void CGLState::BindTexture(uint32_t name) {
    if (name != boundTexture) {
        glBindTexture(GL_TEXTURE_2D, name);
        boundTexture = name;
    }
}

void CGLState::TextureEnvMode(int mode) {
    if (mode != envMode) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
        envMode = mode;
    }
}

int CGLState::StencilBits() {
    if (stencilBits < 0) {
        GLint held = 0;
        glGetIntegerv(GL_STENCIL_BITS, &held);
        stencilBits = held;
    }
    return stencilBits;
}

uint32_t CGLState::Query() {
    uint32_t held = 0;
    for (const Capability& c : capabilities) {
        if (glIsEnabled(c.cap)) {
            held |= c.bit;
        }
    }
    GLint source = 0;
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    if (source == GL_ONE && destination == GL_ONE) {
        held |= GLS_BLEND_ADD;
    }
    GLboolean depthWrite = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrite);
    if (depthWrite) {
        held |= GLS_DEPTH_WRITE;
    }
    GLfloat alphaReference = 0.0f;
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaReference);
    if (alphaReference > 0.3f) {
        held |= GLS_ALPHA_HALF;
    }
    GLint value = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    if (value == GL_FRONT) {
        held |= GLS_CULL_FRONT;
    }
    glGetIntegerv(GL_FRONT_FACE, &value);
    if (value == GL_CW) {
        held |= GLS_FRONT_CW;
    }
    glGetIntegerv(GL_SHADE_MODEL, &value);
    if (value == GL_FLAT) {
        held |= GLS_SHADE_FLAT;
    }
    GLint modes[2] = { GL_FILL, GL_FILL };
    glGetIntegerv(GL_POLYGON_MODE, modes);
    if (modes[0] == GL_LINE) {
        held |= GLS_POLYGON_LINE;
    } else if (modes[0] == GL_POINT) {
        held |= GLS_POLYGON_POINT;
    }
    GLboolean colorWrite[4] = { GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE };
    glGetBooleanv(GL_COLOR_WRITEMASK, colorWrite);
    if (colorWrite[0]) {
        held |= GLS_COLOR_WRITE;
    }
    return held;
}
