#include "objects/COGLSpotLight.h"

#include <GL/gl.h>

#include "math/CMatrix.h"
#include "objects/COGLCone.h"
#include "platform/RecordIO.h"

COGLSpotLight::COGLSpotLight(float x, float y, float z) {
    name = "Spot Light";
    auto cone = std::make_unique<COGLCone>();
    cone->SetPosition(x, y, z);
    cone->SetScale(0.4f, 0.4f, 0.2f);
    // The cone's wide, capped end then points along -z with the light.
    cone->RotateX(180.0f);
    SetMarker(std::move(cone));
    UpdateDirection();
    w = 1.0f;
}

COGLSpotLight::~COGLSpotLight() {
    if (!HasUnit()) {
        return;
    }
    static const float defaultDirection[3] = { 0.0f, 0.0f, -1.0f };
    const GLenum unit = Unit();
    glEnable(unit);
    glLightf(unit, GL_SPOT_EXPONENT, 0.0f);
    glLightf(unit, GL_SPOT_CUTOFF, 180.0f);
    glLightf(unit, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(unit, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(unit, GL_QUADRATIC_ATTENUATION, 0.0f);
    glLightfv(unit, GL_SPOT_DIRECTION, defaultDirection);
}

void COGLSpotLight::UpdateDirection() {
    CMatrix rotation;
    Marker().orientation.ToMatrix(rotation);
    CVector along;
    rotation.TransformVector(CVector(0.0f, 0.0f, 1.0f), along);
    along.Normalize();
    direction[0] = along.x;
    direction[1] = along.y;
    direction[2] = along.z;
}

void COGLSpotLight::Apply(CGLState& gl) {
    DrawMarker(gl);
    if (!HasUnit()) {
        return;
    }
    if (!enabled) {
        glDisable(Unit());
        return;
    }
    const GLenum unit = Unit();
    SetUpUnit();
    glLightfv(unit, GL_SPOT_DIRECTION, direction);
    glLightf(unit, GL_SPOT_EXPONENT, exponent);
    glLightf(unit, GL_SPOT_CUTOFF, cutoff);
    glLightf(unit, GL_CONSTANT_ATTENUATION, constantAttenuation);
    glLightf(unit, GL_LINEAR_ATTENUATION, linearAttenuation);
    glLightf(unit, GL_QUADRATIC_ATTENUATION, quadraticAttenuation);
}

void COGLSpotLight::WriteTail(CRecordWriter& out) const {
    const CQuaternion& orientation = Marker().orientation;
    out.WriteFloat(orientation.x);
    out.WriteFloat(orientation.y);
    out.WriteFloat(orientation.z);
    out.WriteFloat(orientation.w);
    out.WriteFloat(cutoff);
    out.WriteFloat(exponent);
    out.WriteFloat(constantAttenuation);
    out.WriteFloat(linearAttenuation);
    out.WriteFloat(quadraticAttenuation);
}

void COGLSpotLight::ReadTail(CRecordReader& in) {
    CQuaternion& orientation = Marker().orientation;
    orientation.x = in.ReadFloat();
    orientation.y = in.ReadFloat();
    orientation.z = in.ReadFloat();
    orientation.w = in.ReadFloat();
    cutoff = in.ReadFloat();
    exponent = in.ReadFloat();
    constantAttenuation = in.ReadFloat();
    linearAttenuation = in.ReadFloat();
    quadraticAttenuation = in.ReadFloat();
    UpdateDirection();
}
