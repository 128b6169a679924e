#include "platform/GLCurrentContext.h"

#include <GL/gl.h>

// Without a current context the dispatch answers every query with nothing,
// whoever made the context (the viewer window's or an offscreen one).
bool HasCurrentGLContext() {
    return glGetString(GL_VERSION) != nullptr;
}
