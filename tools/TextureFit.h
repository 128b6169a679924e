#pragma once

#include "math/CVector.h"

class COGLObject;
#include "tools/TinyGltf.h"

// uv' = linear uv + offset in glTF's texture space (v down the picture),
// linear row by row.
struct UvTransform {
    double linear[4] = { 1.0, 0.0, 0.0, 1.0 };
    double offset[2] = { 0.0, 0.0 };
};

// The object's texture matrix (translate, its rotation, scale) on s and t,
// seen from glTF's side: there t runs up the picture, glTF's v down it, so
// v = 1 - t on both ends. Made by the object as it draws, so the context
// must be current.
UvTransform TextureTransform(const COGLObject& object, const CVector& translate, const CVector& scale);

// A transform as KHR_texture_transform says one: offset, rotation and
// scale, turning the way its implementations do (u' = cos u + sin v).
struct TextureFit {
    bool   fits = true;     // false when the transform shears
    double offset[2] = { 0.0, 0.0 };
    double rotation = 0.0;
    double scale[2] = { 1.0, 1.0 };

    bool IsIdentity() const {
        return offset[0] == 0.0 && offset[1] == 0.0 && rotation == 0.0 && scale[0] == 1.0 && scale[1] == 1.0;
    }
    tinygltf::Value Extension() const {
        tinygltf::Value::Object object;
        object["offset"] = tinygltf::Value(tinygltf::Value::Array { tinygltf::Value(offset[0]), tinygltf::Value(offset[1]) });
        object["rotation"] = tinygltf::Value(rotation);
        object["scale"] = tinygltf::Value(tinygltf::Value::Array { tinygltf::Value(scale[0]), tinygltf::Value(scale[1]) });
        return tinygltf::Value(object);
    }
};

TextureFit FitTransform(const UvTransform& transform);
