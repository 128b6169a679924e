#include "objects/COGLPlane.h"

#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "math/CMatrix.h"
#include "platform/CFile.h"
#include "platform/CGLState.h"
#include "platform/RecordIO.h"

SharedLists COGLPlane::lists;
uint32_t    COGLPlane::sharedMeshList = 0;

static uint32_t BuildSquareList(GLenum mode, bool withTexture) {
    struct Corner {
        float s, t, x, y;
    };
    static const Corner corners[4] = {
        { 1, 1, 1, 1 }, { 0, 1, -1, 1 }, { 0, 0, -1, -1 }, { 1, 0, 1, -1 },
    };
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(mode);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (const Corner& corner : corners) {
        if (withTexture) {
            glTexCoord2f(corner.s, corner.t);
        }
        glVertex3f(corner.x, corner.y, 0.0f);
    }
    glEnd();
    glEndList();
    return list;
}

static uint32_t BuildMeshList() {
    const float step = 1.0f / 12.0f;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (int row = -12; row < 12; row++) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int column = -12; column <= 12; column++) {
            glVertex2f(float(column) * step, float(row + 1) * step);
            glVertex2f(float(column) * step, float(row) * step);
        }
        glEnd();
    }
    glEndList();
    return list;
}

COGLPlane::COGLPlane() {
    name = "Plane";
    typeCode = 0;
    scale = CVector(3.0f, 3.0f, 1.0f);
    extents = CVector(1.0f, 1.0f, 0.0f);
}

void COGLPlane::PrepareLists() {
    if (!lists.IsBuilt()) {
        lists.solid = BuildSquareList(GL_QUADS, true);
        lists.wire = BuildSquareList(GL_LINE_LOOP, false);
    }
    if (sharedMeshList == 0) {
        sharedMeshList = BuildMeshList();
    }
    UseLists(lists);
    meshList = sharedMeshList;
}

void COGLPlane::ResetLists() {
    lists = SharedLists();
    sharedMeshList = 0;
}

void COGLPlane::GetScale(float& x, float& y, float& z) const {
    x = scale.x;
    y = scale.y;
    z = 0.0f;
}

void COGLPlane::SetScale(float x, float y, float /*z*/) {
    scale = CVector(x, y, 1.0f);
}

void COGLPlane::SetScaleZ(float /*z*/) {
    scale.z = 1.0f;
}

// The mesh carries no texture coordinates: they are generated from the
// object-space position, and the texture matrix maps -1..1 onto 0..1 the way
// the quad's own coordinates run.
void COGLPlane::CallMeshTextured(CGLState& gl, uint32_t bits) const {
    SetObjectLinearTexGen();
    gl.Apply(bits | GLS_TEXTURE_2D | GLS_TEXGEN_ST);
    BindTexture(gl, textureMode);
    const CVector translate(0.5f * textureScale.x + textureTranslation.x,
                            0.5f * textureScale.y + textureTranslation.y, textureTranslation.z);
    const CVector scale(0.5f * textureScale.x, 0.5f * textureScale.y, textureScale.z);
    PushTextureTransform(translate, scale);
    glCallList(meshList);
    PopTextureTransform();
}

void COGLPlane::DrawSolid() {
    PrepareLists();
    glCallList(subdivided ? meshList : solidList);
}

// The mesh has no wire form: it is drawn whatever DRAW_WIRE says.
void COGLPlane::DrawGeometry(CGLState& gl, uint32_t bits, uint32_t list, int flags) {
    if (!subdivided) {
        COGLObject::DrawGeometry(gl, bits, list, flags);
        return;
    }
    if ((flags & DRAW_MATERIAL) != 0) {
        ApplyMaterial();
    }
    if ((flags & DRAW_MATERIAL) != 0 && texture != nullptr) {
        CallMeshTextured(gl, bits);
    } else {
        gl.Apply(bits);
        glCallList(meshList);
    }
}

void COGLPlane::DrawSelected(CGLState& gl) {
    if (!IsVisible()) {
        return;
    }
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, 0.01f);
    COGLObject::DrawSelected(gl);
    glPopMatrix();
}

void COGLPlane::Save(CFile& file, int textureIndex) const {
    CRecordWriter out;
    WritePrefix(out, textureIndex);
    out.WriteBool(subdivided);
    file.Write(out.Bytes().data(), out.Bytes().size());
}

int COGLPlane::Load(CFile& file, int /*version*/) {
    uint8_t record[PLANE_RECORD_SIZE];
    file.Read(record, sizeof record);

    CRecordReader in(record, sizeof record);
    const int textureIndex = ReadPrefix(in);
    subdivided = in.ReadBool();
    return textureIndex;
}

// Corners P, Q, R of the square, placed by position and orientation only.
static void PlacedCorners(const CVector& position, COGLObject& plane, CVector corners[3]) {
    static const CVector square[3] = {
        CVector(1.0f, 1.0f, 0.0f), CVector(-1.0f, 1.0f, 0.0f), CVector(-1.0f, -1.0f, 0.0f),
    };
    glLoadIdentity();
    glTranslatef(position.x, position.y, position.z);
    plane.ApplyRotation();
    CMatrix placement;
    glGetDoublev(GL_MODELVIEW_MATRIX, placement.m);
    for (int i = 0; i < 3; i++) {
        placement.TransformPoint(square[i], corners[i]);
    }
}

void COGLPlane::GetPlaneEquation(float out[4]) {
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    CVector corners[3];
    PlacedCorners(position, *this, corners);
    CVector normal = Cross(corners[0] - corners[1], corners[1] - corners[2]);
    normal.Normalize();
    normal *= 0.001f;
    CVector lifted = position;
    lifted += normal;
    PlacedCorners(lifted, *this, corners);
    const CVector abc = Cross(corners[0] - corners[1], corners[1] - corners[2]);
    out[0] = abc.x;
    out[1] = abc.y;
    out[2] = abc.z;
    out[3] = -(abc.x * corners[0].x + abc.y * corners[0].y + abc.z * corners[0].z);

    glPopMatrix();
    glMatrixMode(matrixMode);
}
