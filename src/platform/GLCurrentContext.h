#pragma once

// True when this thread has a current OpenGL context, whether the viewer
// window's (SDL) or an offscreen one (EGL).
bool HasCurrentGLContext();
