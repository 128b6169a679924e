#include "platform/GLCurrentContext.h"

#include <EGL/egl.h>
#include <SDL.h>

bool HasCurrentGLContext() {
    return eglGetCurrentContext() != EGL_NO_CONTEXT || SDL_GL_GetCurrentContext() != nullptr;
}
