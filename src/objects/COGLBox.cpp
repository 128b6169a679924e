#include "objects/COGLBox.h"

#include <GL/gl.h>

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

void COGLBox::DrawSelected() {
    if (!visible) {
        return;
    }
    glPushMatrix();
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(-2.0f, 0.1f);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(1.0f, 1.0f, 1.0f);
    PlaceObject(0.0f);
    PrepareLists();
    glCallList(solidList);
    DrawAxes();
    glDisable(GL_POLYGON_OFFSET_LINE);
    glPopAttrib();
    glPopMatrix();
}
