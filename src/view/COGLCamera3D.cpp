#include "view/COGLCamera3D.h"

#include <GL/gl.h>

#include <cmath>

#include "math/CMatrix.h"
#include "platform/CFile.h"
#include "platform/RecordIO.h"

static const char* const viewNames[] = { "Perspective", "Top", "Front", "Left", "Right" };

COGLCamera3D::COGLCamera3D() {
    Reset();
}

void COGLCamera3D::Reset() {
    ResetWithAngles(0.0f, 0.0f, VIEW_FRONT);
}

void COGLCamera3D::ResetWithAngles(float x, float y, ViewKind kind) {
    distance = 8.0f;
    center = CVector(0.0f, 0.0f, 0.0f);
    angleX = x;
    angleY = y;
    angleZ = 0.0f;
    dirty = true;
    viewKind = kind;
}

bool COGLCamera3D::SetViewRight() {
    ResetWithAngles(0.0f, 270.0f, VIEW_RIGHT);
    return false;
}

bool COGLCamera3D::SetViewLeft() {
    ResetWithAngles(0.0f, 90.0f, VIEW_LEFT);
    return false;
}

bool COGLCamera3D::SetViewTop() {
    ResetWithAngles(90.0f, 0.0f, VIEW_TOP);
    return true;
}

const char* COGLCamera3D::GetViewName() const {
    if (viewKind < VIEW_PERSPECTIVE || viewKind > VIEW_RIGHT) {
        return "";
    }
    return viewNames[viewKind];
}

void COGLCamera3D::GetCenter(float& x, float& y, float& z) const {
    x = center.x;
    y = center.y;
    z = center.z;
}

float COGLCamera3D::GetZoom() const {
    return 8.0f / distance * 100.0f;
}

static void MoveAlong(CVector& point, const CVector& axis, float amount) {
    CVector step = axis;
    step *= amount;
    point += step;
}

void COGLCamera3D::MoveUp(float amount) {
    MoveAlong(center, dvUp, amount);
    dirty = true;
}

void COGLCamera3D::MoveRight(float amount) {
    MoveAlong(center, dvRight, amount);
    dirty = true;
}

void COGLCamera3D::MoveForward(float amount) {
    MoveAlong(center, dvFace, amount);
    dirty = true;
}

void COGLCamera3D::Zoom(float delta) {
    distance += delta;
    if (!(distance > 0.0f)) {
        distance = 0.0f;
    }
}

// Into [0, 360) by whole turns. An angle so large that taking 360 off no
// longer changes it, or one that is infinite (both can come from a damaged
// scene file), would never leave the loops.
static float WrapDegrees(float degrees) {
    if (!std::isfinite(degrees)) {
        return 0.0f;
    }
    if (std::fabs(degrees) > 3600.0f) {
        degrees = std::fmod(degrees, 360.0f);
    }
    while (degrees > 359.0f) {
        degrees -= 360.0f;
    }
    while (degrees < 0.0f) {
        degrees += 360.0f;
    }
    return degrees;
}

void COGLCamera3D::OrbitX(float delta) {
    angleX = WrapDegrees(angleX + delta);
    dirty = true;
    viewKind = VIEW_PERSPECTIVE;
}

void COGLCamera3D::OrbitY(float delta) {
    angleY = WrapDegrees(angleY + delta);
    dirty = true;
    viewKind = VIEW_PERSPECTIVE;
}

void COGLCamera3D::OrbitZ(float delta) {
    angleZ = WrapDegrees(angleZ + delta);
    dirty = true;
    viewKind = VIEW_PERSPECTIVE;
}

void COGLCamera3D::Apply() {
    glTranslatef(0.0f, 0.0f, -distance);
    glRotatef(angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(angleZ, 0.0f, 0.0f, 1.0f);
    glTranslatef(center.x, center.y, center.z);
    if (dirty) {
        dirty = false;
        UpdateAxes();
    }
}

void COGLCamera3D::UpdateAxes() {
    CMatrix toWorld;
    glGetDoublev(GL_MODELVIEW_MATRIX, toWorld.m);
    // A singular matrix is used as read: the axes are then rubbish for one
    // view, but nothing worse.
    toWorld.Invert();
    toWorld.TransformPoint(center, eye);
    toWorld.TransformVector(CVector(0.0f, 1.0f, 0.0f), up);
    dvUp = up;
    dvUp.SnapToAxis();
    toWorld.TransformVector(CVector(1.0f, 0.0f, 0.0f), dvRight);
    right = dvRight;
    dvRight.SnapToAxis();
    toWorld.TransformVector(CVector(0.0f, 0.0f, 1.0f), dvFace);
    dvFace.SnapToAxis();
}

void COGLCamera3D::Save(CFile& file) const {
    CRecordWriter out;
    for (const CVector* v : { &center, &eye, &up }) {
        out.WriteFloat(v->x);
        out.WriteFloat(v->y);
        out.WriteFloat(v->z);
    }
    out.WriteFloat(distance);
    out.WriteFloat(angleZ);
    out.WriteFloat(angleX);
    out.WriteFloat(angleY);
    file.Write(out.Bytes().data(), out.Bytes().size());
}

void COGLCamera3D::Load(CFile& file, int /*version*/) {
    uint8_t record[CAMERA_RECORD_SIZE];
    file.Read(record, sizeof record);

    CRecordReader in(record, sizeof record);
    center.x = in.ReadFloat();
    center.y = in.ReadFloat();
    center.z = in.ReadFloat();
    eye.x = in.ReadFloat();
    eye.y = in.ReadFloat();
    eye.z = in.ReadFloat();
    up.x = in.ReadFloat();
    up.y = in.ReadFloat();
    up.z = in.ReadFloat();
    distance = in.ReadFloat();
    angleZ = in.ReadFloat();
    angleX = in.ReadFloat();
    angleY = in.ReadFloat();
    dirty = true;
}
