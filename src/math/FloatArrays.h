#pragma once

// Routines over plain float arrays for the Half-Life bone code: a 3-vector is
// float[3], a quaternion float[4] as x, y, z, w, and a 3x4 matrix float[3][4],
// row-major, rotation in the left 3x3 block and translation in column 3.

// True when no component differs by more than 0.001.
bool  VectorsEqual3(const float a[3], const float b[3]);
void  CrossProduct3(const float a[3], const float b[3], float out[3]);
// Returns the length; a zero vector is left as it is and 0 returned.
float Normalize3(float v[3]);
// out = a * b with an implicit last row (0, 0, 0, 1); out must not alias.
void  ConcatMatrix3x4(const float a[3][4], const float b[3][4], float out[3][4]);
// out = transpose(rotation block of m) * v.
void  InverseRotate3x4(const float v[3], const float m[3][4], float out[3]);
void  TransformPoint3x4(const float v[3], const float m[3][4], float out[3]);
// angles in radians: [0] roll about x, [1] pitch about y, [2] yaw about z.
void  AnglesToQuaternion(const float angles[3], float q[4]);
// Fills the 3x3 rotation block; column 3 is left alone.
void  QuaternionToMatrix3x4(const float q[4], float m[3][4]);
// Spherical interpolation from p (t = 0) to q (t = 1). q is negated in place
// when that brings it nearer to p.
void  SlerpQuaternion(const float p[4], float q[4], float t, float out[4]);
