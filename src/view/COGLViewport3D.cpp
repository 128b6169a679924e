#include "view/COGLViewport3D.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/CFile.h"
#include "platform/CGLState.h"
#include "platform/CSettingsStore.h"
#include "platform/RecordIO.h"
#include "scene/CViewportScene.h"

COGLViewport3D::COGLViewport3D(CSettingsStore& settings) : settings(settings) {
    SetRenderStyle(129);
    gridOn = settings.Read(Setting::grid) != 0;
    axisIndicatorOn = settings.Read(Setting::axis) != 0;
}

COGLViewport3D::~COGLViewport3D() {
    settings.Write(Setting::grid, gridOn ? 1 : 0);
    settings.Write(Setting::axis, axisIndicatorOn ? 1 : 0);
}

void COGLViewport3D::SetRenderStyle(int style) {
    struct Style {
        int    code;
        GLenum polygonMode;
        bool   lighting;
        GLenum shadeModel;
        GLenum depthFunction;
        GLenum cullFace;
    };
    static const Style styles[] = {
        { 0,   GL_POINT, false, GL_FLAT,   0,         0 },
        { 1,   GL_POINT, true,  GL_SMOOTH, 0,         0 },
        { 32,  GL_LINE,  false, GL_FLAT,   GL_LEQUAL, 0 },
        { 33,  GL_LINE,  true,  GL_SMOOTH, GL_LEQUAL, 0 },
        { 65,  GL_FILL,  true,  GL_FLAT,   GL_LEQUAL, GL_BACK },
        { 129, GL_FILL,  true,  GL_SMOOTH, GL_LEQUAL, GL_BACK },
    };
    renderStyle = style;
    for (const Style& known : styles) {
        if (known.code == style) {
            polygonMode = known.polygonMode;
            lighting = known.lighting;
            shadeModel = known.shadeModel;
            depthFunction = known.depthFunction;
            cullFace = known.cullFace;
        }
    }
}

void COGLViewport3D::Load(CFile& file, int version) {
    ReadFieldOfView(file, version, fieldOfView);
}

void COGLViewport3D::ReadFieldOfView(CFile& file, int version, float& into) {
    if (version < 6) {
        return;
    }
    uint8_t field[4];
    file.Read(field, sizeof field);
    CRecordReader in(field, sizeof field);
    into = in.ReadFloat();
}

uint32_t COGLViewport3D::StateBits() const {
    uint32_t bits = GLS_DEPTH_WRITE | GLS_COLOR_WRITE | GLS_DITHER;
    if (depthFunction != 0) {
        bits |= GLS_DEPTH_TEST;
    }
    if (cullFace != 0) {
        bits |= GLS_CULL;
    }
    if (lighting) {
        bits |= GLS_LIGHTING | GLS_AUTO_NORMAL | GLS_NORMALIZE;
    }
    if (shadeModel == GL_FLAT) {
        bits |= GLS_SHADE_FLAT;
    }
    if (polygonMode == GL_LINE) {
        bits |= GLS_POLYGON_LINE;
    } else if (polygonMode == GL_POINT) {
        bits |= GLS_POLYGON_POINT;
    }
    return bits;
}

void COGLViewport3D::SetUpLighting(CViewportScene& scene) const {
    if (lighting) {
        scene.ApplyAmbient();
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
    }
}

void COGLViewport3D::SetUpPerspective() const {
    gluPerspective(fieldOfView, double(width) / double(height), zNear, zFar);
}

void COGLViewport3D::Draw(CViewportScene& scene, CGLState& gl) {
    if (!enabled) {
        return;
    }
    glViewport(x, y, width, height);
    gl.Reset(StateBits());
    if (scene.HasBackgroundImage()) {
        scene.DrawBackground(gl, width, height);
    }
    SetUpLighting(scene);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    SetUpPerspective();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.Apply();
    if (gridOn) {
        DrawGrid(gl, gridHalfSize, gridDivisions);
    }
    if (axisIndicatorOn) {
        DrawAxisIndicator(gl);
    }
    scene.Render(gl, renderStyle, camera.eye, camera.right);
}

void COGLViewport3D::SetupPicking(int cursorX, int cursorY, CViewportScene& scene) {
    GLint pickViewport[4] = { 0, 0, width, height };
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPickMatrix(cursorX, cursorY, 5.0, 5.0, pickViewport);
    SetUpPerspective();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.Apply();
    scene.DrawForSelection();
}

static void GridLine(float x0, float z0, float x1, float z1) {
    glVertex3f(x0, 0.0f, z0);
    glVertex3f(x1, 0.0f, z1);
}

void COGLViewport3D::DrawGrid(CGLState& gl, float s, float n) {
    gl.Apply((gl.Baseline() & ~(GLS_LIGHTING | GLS_LINE_SMOOTH)) | GLS_COLOR_MATERIAL);
    glPushMatrix();
    const float step = 2.0f * s / n;
    const float lastLine = (n - 1.0f) / 2.0f;

    glColor3f(0.6f, 0.6f, 0.6f);
    glBegin(GL_LINE_LOOP);
    glVertex3f(-s, 0.0f, -s);
    glVertex3f(s, 0.0f, -s);
    glVertex3f(s, 0.0f, s);
    glVertex3f(-s, 0.0f, s);
    glEnd();

    glBegin(GL_LINES);
    glColor3f(0.9f, 0.9f, 0.9f);
    GridLine(0.0f, s, 0.0f, -s);
    glColor3f(0.6f, 0.6f, 0.6f);
    for (int i = 0; float(i) < lastLine; i++) {
        const float t = float(i + 1) * step;
        GridLine(t, s, t, -s);
        GridLine(-t, s, -t, -s);
    }
    glColor3f(0.9f, 0.9f, 0.9f);
    GridLine(s, 0.0f, -s, 0.0f);
    glColor3f(0.6f, 0.6f, 0.6f);
    for (int i = 0; float(i) < lastLine; i++) {
        const float t = float(i + 1) * step;
        GridLine(s, t, -s, t);
        GridLine(s, -t, -s, -t);
    }
    glEnd();

    glPopMatrix();
}

int COGLViewport3D::AxisIndicatorOffset() const {
    // The single-precision constant with an exact product: 800 gives
    // 51.99999..., so 51. A float product would round to 52.
    return static_cast<int>(static_cast<double>(width) * static_cast<double>(0.065f));
}

void COGLViewport3D::BuildOrCallAxisList() {
    if (axisList != 0) {
        glCallList(axisList);
        return;
    }
    axisList = glGenLists(1);
    glNewList(axisList, GL_COMPILE_AND_EXECUTE);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);   glVertex3f(0.125f, 0.0f, 0.0f);
    glVertex3f(0.16f, 0.025f, 0.0f); glVertex3f(0.13f, -0.025f, 0.0f);
    glVertex3f(0.13f, 0.025f, 0.0f); glVertex3f(0.16f, -0.025f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);   glVertex3f(0.0f, 0.125f, 0.0f);
    glVertex3f(-0.02f, 0.18f, 0.0f); glVertex3f(0.0f, 0.16f, 0.0f);
    glVertex3f(0.02f, 0.18f, 0.0f);  glVertex3f(0.0f, 0.16f, 0.0f);
    glVertex3f(0.0f, 0.16f, 0.0f);   glVertex3f(0.0f, 0.135f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);   glVertex3f(0.0f, 0.0f, 0.125f);
    glVertex3f(-0.02f, 0.0f, 0.14f); glVertex3f(0.02f, 0.0f, 0.14f);
    glVertex3f(0.02f, 0.0f, 0.14f);  glVertex3f(-0.02f, 0.0f, 0.18f);
    glVertex3f(-0.02f, 0.0f, 0.18f); glVertex3f(0.02f, 0.0f, 0.18f);
    glEnd();
    glEndList();
}

void COGLViewport3D::DrawAxisIndicator(CGLState& gl) {
    GLdouble modelview[16];
    GLdouble projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const GLint area[4] = { x, y, width, height };
    const int offset = AxisIndicatorOffset();
    GLdouble px, py, pz;
    // Without an inverse of the matrices there is no point to put it at.
    if (!gluUnProject(x + offset, y + offset, 0.95, modelview, projection, area, &px, &py, &pz)) {
        return;
    }
    glPushMatrix();
    gl.Apply((gl.Baseline() & ~(GLS_LIGHTING | GLS_LINE_SMOOTH | GLS_NORMALIZE)) | GLS_COLOR_MATERIAL);
    glTranslated(px, py, pz);
    glScalef(3.0f, 3.0f, 3.0f);
    BuildOrCallAxisList();
    glPopMatrix();
}

void COGLViewport3D::Begin2D(CGLState& gl, uint32_t extraBits) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gl.Apply(GLS_COLOR_MATERIAL | GLS_DEPTH_WRITE | GLS_COLOR_WRITE | extraBits);
}

void COGLViewport3D::End2D() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void COGLViewport3D::FillBackground(float r, float g, float b) {
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(width, 0);
    glVertex2i(width, height);
    glVertex2i(0, height);
    glEnd();
}
