#include "objects/COGLBox.h"

#include <GL/gl.h>

#include "platform/CGLState.h"

SharedLists COGLBox::lists;

namespace {

struct BoxCorner {
    float s, t;
    float x, y, z;
};

struct BoxFace {
    float     normal[3];
    BoxCorner corners[4];
};

// Each face carries its own texture coordinates, so a texture shows upright
// on every side the way the editor laid it out.
const BoxFace boxFaces[6] = {
    { { 0, 0, 1 },  { { 1, 1, 1, 1, 1 },    { 0, 1, -1, 1, 1 },   { 0, 0, -1, -1, 1 },  { 1, 0, 1, -1, 1 } } },
    { { 0, 0, -1 }, { { 1, 1, 1, 1, -1 },   { 1, 0, 1, -1, -1 },  { 0, 0, -1, -1, -1 }, { 0, 1, -1, 1, -1 } } },
    { { -1, 0, 0 }, { { 1, 1, -1, 1, 1 },   { 0, 1, -1, 1, -1 },  { 0, 0, -1, -1, -1 }, { 1, 0, -1, -1, 1 } } },
    { { 1, 0, 0 },  { { 0, 1, 1, 1, 1 },    { 0, 0, 1, -1, 1 },   { 1, 0, 1, -1, -1 },  { 1, 1, 1, 1, -1 } } },
    { { 0, 1, 0 },  { { 0, 0, -1, 1, -1 },  { 0, 1, -1, 1, 1 },   { 1, 1, 1, 1, 1 },    { 1, 0, 1, 1, -1 } } },
    { { 0, -1, 0 }, { { 0, 0, -1, -1, -1 }, { 1, 0, 1, -1, -1 },  { 1, 1, 1, -1, 1 },   { 0, 1, -1, -1, 1 } } },
};

uint32_t BuildBoxList(GLenum mode) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    for (const BoxFace& face : boxFaces) {
        glBegin(mode);
        glNormal3fv(face.normal);
        for (const BoxCorner& corner : face.corners) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3f(corner.x, corner.y, corner.z);
        }
        glEnd();
    }
    glEndList();
    return list;
}

}  // namespace

COGLBox::COGLBox() {
    name = "Box";
    typeCode = 2;
    extents = CVector(1.0f, 1.0f, 1.0f);
}

void COGLBox::PrepareLists() {
    if (!lists.IsBuilt()) {
        lists.solid = BuildBoxList(GL_QUADS);
        lists.wire = BuildBoxList(GL_LINE_LOOP);
    }
    UseLists(lists);
}

void COGLBox::ResetLists() {
    lists = SharedLists();
}

void COGLBox::DrawSelected(CGLState& gl) {
    if (!IsVisible()) {
        return;
    }
    glPushMatrix();
    glPolygonOffset(-2.0f, 0.1f);
    const uint32_t outline = (UnlitLineBits(gl.Baseline()) | GLS_POLYGON_LINE | GLS_POLYGON_OFFSET_LINE) & ~GLS_POLYGON_POINT;
    gl.Apply(outline);
    glColor3f(1.0f, 1.0f, 1.0f);
    PlaceObject(0.0f);
    PrepareLists();
    glCallList(solidList);
    DrawAxes();
    glPopMatrix();
}
