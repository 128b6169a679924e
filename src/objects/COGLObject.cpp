#include "objects/COGLObject.h"

#include <GL/gl.h>

#include <cmath>

#include "image/COGLTexture2D.h"
#include "math/CMatrix.h"
#include "objects/QuadricList.h"
#include "platform/CFile.h"
#include "platform/CGLState.h"
#include "platform/RecordIO.h"

uint32_t COGLObject::nextSelectionName = 1;

COGLObject::COGLObject() : selectionName(nextSelectionName++) {
}

COGLObject::~COGLObject() = default;

void COGLObject::UseLists(const SharedLists& lists) {
    selectionList = picksByWire ? lists.wire : lists.solid;
    solidList = lists.solid;
    wireList = lists.wire;
}

void COGLObject::PlaceObject(float zOffset) {
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    if (zOffset != 0.0f) {
        glTranslatef(0.0f, 0.0f, zOffset);
    }
    glScalef(scale.x, scale.y, scale.z);
}

void COGLObject::ApplyMaterial() const {
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
}

uint32_t COGLObject::DrawBits(const CGLState& gl) const {
    if (!transparent) {
        return gl.Baseline();
    }
    return (gl.Baseline() | GLS_BLEND) & ~(GLS_BLEND_ADD | GLS_DEPTH_WRITE);
}

void COGLObject::PushTextureTransform(const CVector& translate, const CVector& scale) const {
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(translate.x, translate.y, translate.z);
    glRotatef(textureRotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(textureRotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(textureRotation.z, 0.0f, 0.0f, 1.0f);
    glScalef(scale.x, scale.y, scale.z);
    glMatrixMode(GL_MODELVIEW);
}

void COGLObject::SetObjectLinearTexGen() {
    static const float sPlane[4] = { 1.0f, 0.0f, 0.0f, 0.0f };
    static const float tPlane[4] = { 0.0f, 1.0f, 0.0f, 0.0f };
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, sPlane);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, tPlane);
}

void COGLObject::PopTextureTransform() {
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void COGLObject::BindTexture(CGLState& gl, int envMode) const {
    gl.BindTexture(texture->UploadedName());
    gl.TextureEnvMode(envMode);
}

void COGLObject::CallListTextured(CGLState& gl, uint32_t bits, uint32_t list, int envMode) const {
    gl.Apply(bits | GLS_TEXTURE_2D);
    BindTexture(gl, envMode);
    PushTextureTransform(textureTranslation, textureScale);
    glCallList(list);
    PopTextureTransform();
}

void COGLObject::Draw(CGLState& gl, int flags) {
    DrawPlaced(gl, flags, 0.0f);
}

void COGLObject::DrawPlaced(CGLState& gl, int flags, float zOffset) {
    if (!visible) {
        return;
    }
    PrepareLists();
    const uint32_t bits = DrawBits(gl);
    glPushMatrix();
    PlaceObject(zOffset);
    DrawGeometry(gl, bits, (flags & DRAW_WIRE) ? wireList : solidList, flags);
    if (flags & DRAW_AXES) {
        gl.Apply(bits);
        DrawAxes();
    }
    glPopMatrix();
}

void COGLObject::DrawShape(CGLState& gl) {
    PrepareLists();
    glPushMatrix();
    PlaceObject(0.0f);
    DrawGeometry(gl, gl.Bits(), solidList, 0);
    glPopMatrix();
}

void COGLObject::DrawSolid() {
    PrepareLists();
    // Some lists leave the matrix moved (the cylinder's lid).
    glPushMatrix();
    glCallList(solidList);
    glPopMatrix();
}

void COGLObject::DrawGeometry(CGLState& gl, uint32_t bits, uint32_t list, int flags) {
    if ((flags & DRAW_MATERIAL) == 0) {
        // The caller has set colour or material itself, as for shadows.
        gl.Apply(bits);
        glCallList(list);
        return;
    }
    ApplyMaterial();
    if (texture != nullptr) {
        CallListTextured(gl, bits, list, textureMode);
    } else {
        gl.Apply(bits);
        glCallList(list);
    }
}

void COGLObject::DrawForSelection() {
    DrawForSelectionPlaced(0.0f);
}

void COGLObject::DrawForSelectionPlaced(float zOffset) {
    if (selectionName & HIDDEN_BIT) {
        return;
    }
    PrepareLists();
    glLoadName(selectionName);
    glPushMatrix();
    PlaceObject(zOffset);
    glCallList(selectionList);
    glPopMatrix();
}

void COGLObject::DrawSelected(CGLState& gl) {
    if (!visible) {
        return;
    }
    BeginHighlight(gl);
    PlaceObject(0.0f);
    DrawBoxOutline(CVector(-extents.x, -extents.y, -extents.z), extents);
    DrawAxes();
    EndHighlight();
}

uint32_t COGLObject::UnlitLineBits(uint32_t baseline) {
    return (baseline & ~(GLS_LIGHTING | GLS_LINE_SMOOTH | GLS_POINT_SMOOTH | GLS_NORMALIZE)) | GLS_COLOR_MATERIAL;
}

void COGLObject::BeginHighlight(CGLState& gl) {
    glPushMatrix();
    gl.Apply(UnlitLineBits(gl.Baseline()));
    glColor3f(1.0f, 1.0f, 1.0f);
}

void COGLObject::EndHighlight() {
    glPopMatrix();
}

void COGLObject::DrawBoxOutline(const CVector& low, const CVector& high) {
    const float x0 = low.x, y0 = low.y, z0 = low.z;
    const float x1 = high.x, y1 = high.y, z1 = high.z;
    glBegin(GL_LINE_LOOP);
    glVertex3f(x1, y1, z1);
    glVertex3f(x0, y1, z1);
    glVertex3f(x0, y0, z1);
    glVertex3f(x1, y0, z1);
    glEnd();
    glBegin(GL_LINE_LOOP);
    glVertex3f(x1, y1, z0);
    glVertex3f(x1, y0, z0);
    glVertex3f(x0, y0, z0);
    glVertex3f(x0, y1, z0);
    glEnd();
    glBegin(GL_LINES);
    glVertex3f(x0, y0, z1);
    glVertex3f(x0, y0, z0);
    glVertex3f(x0, y1, z1);
    glVertex3f(x0, y1, z0);
    glVertex3f(x1, y0, z1);
    glVertex3f(x1, y0, z0);
    glVertex3f(x1, y1, z1);
    glVertex3f(x1, y1, z0);
    glEnd();
}

void COGLObject::DrawAxes() {
    const float tick = 0.2f;
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(extents.x, 0.0f, 0.0f);
    glVertex3f(extents.x + tick, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, extents.y, 0.0f);
    glVertex3f(0.0f, extents.y + tick, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, extents.z);
    glVertex3f(0.0f, 0.0f, extents.z + tick);
    glEnd();
}

void COGLObject::Save(CFile& file, int textureIndex) const {
    CRecordWriter out;
    WritePrefix(out, textureIndex);
    file.Write(out.Bytes().data(), out.Bytes().size());
}

void COGLObject::WritePrefix(CRecordWriter& out, int textureIndex) const {
    out.WriteName(name, RECORD_NAME_SIZE);
    out.WriteFloats(ambient, 4);
    out.WriteFloats(diffuse, 4);
    out.WriteFloats(specular, 4);
    out.WriteFloats(emission, 4);
    out.WriteFloat(shininess);
    out.WriteFloat(orientation.x);
    out.WriteFloat(orientation.y);
    out.WriteFloat(orientation.z);
    out.WriteFloat(orientation.w);
    out.WriteFloat(scale.x);
    out.WriteFloat(scale.y);
    out.WriteFloat(scale.z);
    out.WriteFloat(position.x);
    out.WriteFloat(position.y);
    out.WriteFloat(position.z);
    // The editor's record repeats position x here; readers expect the field.
    out.WriteFloat(position.x);
    out.WriteBool(visible);
    out.WriteBool(transparent);
    out.WriteBool(animating);
    out.WriteInt32(renderMode);
    out.WriteInt32(reservedA);
    out.WriteInt32(textureIndex);
    out.WriteFloat(textureRotation.x);
    out.WriteFloat(textureRotation.y);
    out.WriteFloat(textureRotation.z);
    out.WriteFloat(textureScale.x);
    out.WriteFloat(textureScale.y);
    out.WriteFloat(textureScale.z);
    out.WriteFloat(textureTranslation.x);
    out.WriteFloat(textureTranslation.y);
    out.WriteFloat(textureTranslation.z);
    out.WriteInt32(textureMode);
    out.WriteInt32(reservedB);
}

int COGLObject::Load(CFile& file, int /*version*/) {
    uint8_t record[OBJECT_RECORD_SIZE];
    file.Read(record, sizeof record);

    CRecordReader in(record, sizeof record);
    return ReadPrefix(in);
}

int COGLObject::ReadPrefix(CRecordReader& in) {
    name = in.ReadName(RECORD_NAME_SIZE);
    in.ReadFloats(ambient, 4);
    in.ReadFloats(diffuse, 4);
    in.ReadFloats(specular, 4);
    in.ReadFloats(emission, 4);
    shininess = in.ReadFloat();
    orientation.x = in.ReadFloat();
    orientation.y = in.ReadFloat();
    orientation.z = in.ReadFloat();
    orientation.w = in.ReadFloat();
    scale.x = in.ReadFloat();
    scale.y = in.ReadFloat();
    scale.z = in.ReadFloat();
    position.x = in.ReadFloat();
    position.y = in.ReadFloat();
    position.z = in.ReadFloat();
    position.x = in.ReadFloat();  // the repeated x; this later copy wins
    visible = in.ReadBool();
    transparent = in.ReadBool();
    animating = in.ReadBool();
    renderMode = in.ReadInt32();
    reservedA = in.ReadInt32();
    const int textureIndex = in.ReadInt32();
    textureRotation.x = in.ReadFloat();
    textureRotation.y = in.ReadFloat();
    textureRotation.z = in.ReadFloat();
    textureScale.x = in.ReadFloat();
    textureScale.y = in.ReadFloat();
    textureScale.z = in.ReadFloat();
    textureTranslation.x = in.ReadFloat();
    textureTranslation.y = in.ReadFloat();
    textureTranslation.z = in.ReadFloat();
    textureMode = in.ReadInt32();
    reservedB = in.ReadInt32();
    return textureIndex;
}

void COGLObject::CopyFrom(const COGLObject& source) {
    SetAmbient(source.ambient[0], source.ambient[1], source.ambient[2], source.ambient[3]);
    SetDiffuse(source.diffuse[0], source.diffuse[1], source.diffuse[2], source.diffuse[3]);
    SetSpecular(source.specular[0], source.specular[1], source.specular[2], source.specular[3]);
    SetEmission(source.emission[0], source.emission[1], source.emission[2], source.emission[3]);
    shininess = source.shininess;
    SetScale(source.scale.x, source.scale.y, source.scale.z);
    SetPosition(source.position.x, source.position.y, source.position.z);
    extents = source.extents;
    name = "Copy of " + source.name;
    selectionName = nextSelectionName++;
    visible = source.visible;
    transparent = source.transparent;
    animating = source.animating;
    renderMode = source.renderMode;
    typeCode = source.typeCode;
    orientation = source.orientation;
    reservedA = source.reservedA;
    texture = source.texture;
    textureRotation = source.textureRotation;
    textureScale = source.textureScale;
    textureTranslation = source.textureTranslation;
    textureMode = source.textureMode;
    reservedB = source.reservedB;
}

static void SetColor(float color[4], float r, float g, float b, float a) {
    color[0] = r;
    color[1] = g;
    color[2] = b;
    color[3] = a;
}

void COGLObject::SetAmbient(float r, float g, float b, float a) { SetColor(ambient, r, g, b, a); }
void COGLObject::SetAmbientAlpha(float a) { ambient[3] = a; }
void COGLObject::SetDiffuse(float r, float g, float b, float a) { SetColor(diffuse, r, g, b, a); }
void COGLObject::SetDiffuseAlpha(float a) { diffuse[3] = a; }
void COGLObject::SetSpecular(float r, float g, float b, float a) { SetColor(specular, r, g, b, a); }
void COGLObject::SetSpecularAlpha(float a) { specular[3] = a; }
void COGLObject::SetEmission(float r, float g, float b, float a) { SetColor(emission, r, g, b, a); }
void COGLObject::SetEmissionAlpha(float a) { emission[3] = a; }
void COGLObject::SetShininess(float s) { shininess = s; }

void COGLObject::SetVisible(bool show) {
    if (show) {
        Show();
    } else {
        Hide();
    }
}

void COGLObject::Show() {
    visible = true;
    selectionName &= ~HIDDEN_BIT;
}

void COGLObject::Hide() {
    visible = false;
    selectionName |= HIDDEN_BIT;
}

void COGLObject::SetTransparent(bool on) { transparent = on; }
void COGLObject::StartAnimation() { animating = true; }

void COGLObject::Rotate(const CVector& axis, float degrees) {
    if (!std::isfinite(degrees)) {
        return;
    }
    // Far from zero, subtracting 360 no longer changes a float.
    if (std::fabs(degrees) > 3600.0f) {
        degrees = std::fmod(degrees, 360.0f);
    }
    // Test against 359, not 360: the editor's reduction, kept so that saved
    // orientations come out the same.
    while (degrees > 359.0f) {
        degrees -= 360.0f;
    }
    while (degrees < 0.0f) {
        degrees += 360.0f;
    }
    CQuaternion turn;
    turn.FromAxisAngle(axis, degrees);
    orientation.Multiply(turn);
    orientation.Normalize();
}

void COGLObject::RotateX(float degrees) { Rotate(CVector(1.0f, 0.0f, 0.0f), degrees); }
void COGLObject::RotateY(float degrees) { Rotate(CVector(0.0f, 1.0f, 0.0f), degrees); }
void COGLObject::RotateZ(float degrees) { Rotate(CVector(0.0f, 0.0f, 1.0f), degrees); }

void COGLObject::GetScale(float& x, float& y, float& z) const {
    x = scale.x;
    y = scale.y;
    z = scale.z;
}

void COGLObject::SetScale(float x, float y, float z) { scale = CVector(x, y, z); }
void COGLObject::SetScaleX(float x) { scale.x = x; }
void COGLObject::SetScaleY(float y) { scale.y = y; }
void COGLObject::SetScaleZ(float z) { scale.z = z; }

void COGLObject::Move(float dx, float dy, float dz) {
    position += CVector(dx, dy, dz);
}

void COGLObject::SetPosition(float x, float y, float z) { position = CVector(x, y, z); }
void COGLObject::SetPositionX(float x) { position.x = x; }
void COGLObject::SetPositionY(float y) { position.y = y; }
void COGLObject::SetPositionZ(float z) { position.z = z; }

void COGLObject::SetTexture(COGLTexture2D* newTexture) {
    texture = newTexture != nullptr && newTexture->HasPicture() ? newTexture : nullptr;
}

void COGLObject::SetTextureMode(int mode) { textureMode = mode; }

void COGLObject::ApplyRotation() {
    CMatrix rotation;
    orientation.ToMatrix(rotation);
    glMultMatrixd(rotation.m);
}
