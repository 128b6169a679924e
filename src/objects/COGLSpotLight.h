#pragma once

#include "objects/COGLLight.h"

// Size of a spot-light record.
constexpr size_t SPOT_LIGHT_RECORD_SIZE = 208;

// A light shining in a cone along its marker's -z axis (a new one shines
// down the world's -z); its marker is a cone whose wide end points the way
// the light shines.
class COGLSpotLight : public COGLLight {
public:
    COGLSpotLight(float x, float y, float z);
    // Puts the unit back to OpenGL's spot defaults, so that a point light
    // that takes the unit next shines in every direction again.
    ~COGLSpotLight() override;

    const char* ClassName() const override { return "COGLSpotLight"; }
    void Apply(CGLState& gl) override;
    // From the marker's orientation; call after turning the marker.
    void UpdateDirection();

    // GL_SPOT_DIRECTION, a unit vector in world coordinates.
    float direction[3] = { 0.0f, 0.0f, -1.0f };
    float cutoff = 30.0f;
    float exponent = 0.0f;
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;

protected:
    size_t RecordSize() const override { return SPOT_LIGHT_RECORD_SIZE; }
    void   WriteTail(CRecordWriter& out) const override;
    void   ReadTail(CRecordReader& in) override;
};
