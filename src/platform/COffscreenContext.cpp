#include "platform/COffscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>

COffscreenContext::~COffscreenContext() {
    Destroy();
}

bool COffscreenContext::Fail(const char* what) {
    char text[128];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04x)", what, eglGetError());
    error = text;
    Destroy();
    return false;
}

static EGLConfig ChooseConfig(EGLDisplay display, bool colorBits16, bool stencil) {
    const EGLint red = colorBits16 ? 5 : 8;
    const EGLint green = colorBits16 ? 6 : 8;
    const EGLint blue = colorBits16 ? 5 : 8;
    const EGLint stencilSize = stencil ? 8 : 0;
    const EGLint wanted[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, red, EGL_GREEN_SIZE, green, EGL_BLUE_SIZE, blue,
        EGL_DEPTH_SIZE, 16,
        EGL_STENCIL_SIZE, stencilSize,
        EGL_NONE,
    };
    EGLConfig configs[64];
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, configs, 64, &count)) {
        return nullptr;
    }
    // eglChooseConfig puts deeper buffers first; the depth buffer's precision
    // decides which coplanar faces win, so take exactly what was asked for.
    // Stencil comes packed with 24 depth bits on most drivers, as in the
    // viewer's window: then the exact colour with the stencil asked for.
    EGLConfig fallback = nullptr;
    for (EGLint i = 0; i < count; i++) {
        EGLint r, g, b, depth, s;
        eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &r);
        eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &g);
        eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &b);
        eglGetConfigAttrib(display, configs[i], EGL_DEPTH_SIZE, &depth);
        eglGetConfigAttrib(display, configs[i], EGL_STENCIL_SIZE, &s);
        if (r != red || g != green || b != blue || (s > 0) != stencil) {
            continue;
        }
        if (depth == 16) {
            return configs[i];
        }
        if (fallback == nullptr) {
            fallback = configs[i];
        }
    }
    if (fallback == nullptr && count > 0) {
        fallback = configs[0];
    }
    return fallback;
}

bool COffscreenContext::Create(int w, int h, bool colorBits16, bool stencil) {
    Destroy();
    error.clear();
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        return Fail("eglGetPlatformDisplayEXT lookup");
    }
    EGLDisplay eglDisplay = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (eglDisplay == EGL_NO_DISPLAY || !eglInitialize(eglDisplay, nullptr, nullptr)) {
        return Fail("eglInitialize");
    }
    display = eglDisplay;
    EGLConfig config = ChooseConfig(eglDisplay, colorBits16, stencil);
    if (config == nullptr) {
        return Fail("eglChooseConfig");
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return Fail("eglBindAPI");
    }
    const EGLint size[] = { EGL_WIDTH, w, EGL_HEIGHT, h, EGL_NONE };
    surface = eglCreatePbufferSurface(eglDisplay, config, size);
    if (surface == EGL_NO_SURFACE) {
        surface = nullptr;
        return Fail("eglCreatePbufferSurface");
    }
    // No version attributes: a legacy context, which is a compatibility one.
    context = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        context = nullptr;
        return Fail("eglCreateContext");
    }
    width = w;
    height = h;
    if (!MakeCurrent()) {
        return Fail("eglMakeCurrent");
    }
    glViewport(0, 0, w, h);
    return true;
}

bool COffscreenContext::MakeCurrent() {
    return context != nullptr && eglMakeCurrent(display, surface, surface, context);
}

void COffscreenContext::Destroy() {
    if (display == nullptr) {
        return;
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != nullptr) {
        eglDestroyContext(display, context);
    }
    if (surface != nullptr) {
        eglDestroySurface(display, surface);
    }
    // The display is not terminated: EGL shares it process-wide, and another
    // context may still be using it.
    display = nullptr;
    surface = nullptr;
    context = nullptr;
    width = 0;
    height = 0;
}

std::vector<uint8_t> COffscreenContext::ReadPixels(int x, int y, int w, int h) const {
    if (context == nullptr || w <= 0 || h <= 0) {
        return {};
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
