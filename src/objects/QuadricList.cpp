#include "objects/QuadricList.h"

#include <GL/gl.h>
#include <GL/glu.h>

GLUquadric* SharedQuadric() {
    static GLUquadric* quadric = gluNewQuadric();
    return quadric;
}

static uint32_t BuildQuadricList(GLenum drawStyle, void (*shape)(GLUquadric* quadric)) {
    GLUquadric* quadric = SharedQuadric();
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    gluQuadricDrawStyle(quadric, drawStyle);
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricTexture(quadric, GL_TRUE);
    shape(quadric);
    glEndList();
    return list;
}

SharedLists BuildQuadricLists(void (*shape)(GLUquadric* quadric)) {
    SharedLists lists;
    lists.solid = BuildQuadricList(GLU_FILL, shape);
    lists.wire = BuildQuadricList(GLU_LINE, shape);
    return lists;
}
