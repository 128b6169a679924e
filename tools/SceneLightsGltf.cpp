#include "tools/SceneLightsGltf.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "objects/COGLLight.h"
#include "objects/COGLObject.h"
#include "objects/COGLSpotLight.h"
#include "tools/CGltfBuilder.h"
#include "view/COGLViewport3D.h"

namespace {

// The picture the tool renders by default; the viewer's window has its own.
constexpr double ASPECT_RATIO = 640.0 / 480.0;

double Finite(double value, double otherwise) {
    return std::isfinite(value) ? value : otherwise;
}

tinygltf::Value Numbers(const float* values, int count) {
    tinygltf::Value::Array array;
    for (int i = 0; i < count; i++) {
        array.emplace_back(Finite(values[i], 0.0));
    }
    return tinygltf::Value(array);
}

// OpenGL dims a light by 1 / (constant + linear d + quadratic d^2); glTF's
// fall off with the square of the distance from an intensity, to a range.
// The intensity is the strength at distance 0, the range where it is down
// to 1/256 of that; the three terms go in the extras as they are.
void SetFalloff(tinygltf::Light& gltf, const COGLSpotLight& spot) {
    const double constant = Finite(spot.constantAttenuation, 1.0);
    const double linear = Finite(spot.linearAttenuation, 0.0);
    const double quadratic = Finite(spot.quadraticAttenuation, 0.0);
    if (constant > 0.0) {
        gltf.intensity = 1.0 / constant;
    }
    const double target = 255.0 * std::max(constant, 1e-6);
    if (quadratic > 0.0) {
        gltf.range = (-linear + std::sqrt(linear * linear + 4.0 * quadratic * target)) / (2.0 * quadratic);
    } else if (linear > 0.0) {
        gltf.range = target / linear;
    }
    if (!std::isfinite(gltf.range) || !std::isfinite(gltf.intensity)) {
        gltf.range = 0.0;
        gltf.intensity = 1.0;
    }
}

}  // namespace

GltfTurn CameraTurn(const COGLCamera3D& camera) {
    // The camera turns the world about x, then y, then z (innermost first);
    // the eye is turned back the other way.
    return GltfTurn::About(0, 0, 1, -Finite(camera.angleZ, 0.0))
        .After(GltfTurn::About(0, 1, 0, -Finite(camera.angleY, 0.0)))
        .After(GltfTurn::About(1, 0, 0, -Finite(camera.angleX, 0.0)));
}

int AddCameraNode(CGltfBuilder& builder, const COGLViewport3D& view) {
    const COGLCamera3D& camera = view.camera;
    tinygltf::Camera gltfCamera;
    gltfCamera.type = "perspective";
    const double fieldOfView = Finite(view.fieldOfView, COGLViewport3D::DEFAULT_FIELD_OF_VIEW);
    gltfCamera.perspective.yfov = std::clamp(fieldOfView, 0.01, 179.0) * M_PI / 180.0;
    gltfCamera.perspective.aspectRatio = ASPECT_RATIO;
    gltfCamera.perspective.znear = view.zNear;
    gltfCamera.perspective.zfar = view.zFar;
    builder.gltf.cameras.push_back(gltfCamera);

    const GltfTurn turn = CameraTurn(camera);
    const CVector back = turn.Turned(CVector(0.0f, 0.0f, static_cast<float>(Finite(camera.distance, 0.0))));
    tinygltf::Node node;
    node.name = "Camera";
    node.camera = static_cast<int>(builder.gltf.cameras.size()) - 1;
    node.translation = { Finite(back.x - camera.center.x, 0.0), Finite(back.y - camera.center.y, 0.0),
                         Finite(back.z - camera.center.z, 0.0) };
    node.rotation = turn.Values();
    return builder.AddNode(node);
}

int AddLightNode(CGltfBuilder& builder, const COGLLight& light) {
    tinygltf::Light gltf;
    gltf.name = light.name;
    for (int i = 0; i < 3; i++) {
        gltf.color.push_back(std::clamp(Finite(light.diffuse[i], 0.0), 0.0, 1.0));
    }
    gltf.type = "point";
    const CVector& position = light.Marker().position;
    GltfTurn turn;
    tinygltf::Value::Object extras { { "ambient", Numbers(light.ambient, 4) },
                                     { "specular", Numbers(light.specular, 4) } };
    const auto* spot = dynamic_cast<const COGLSpotLight*>(&light);
    if (light.w == 0.0f) {
        // Shining from where its position points, from far away.
        gltf.type = "directional";
        turn = GltfTurn::FromMinusZ(CVector(-position.x, -position.y, -position.z));
    } else if (spot != nullptr && spot->cutoff >= 0.0f && spot->cutoff <= 90.0f) {
        gltf.type = "spot";
        gltf.spot.outerConeAngle = std::max(1e-4, spot->cutoff * M_PI / 180.0);
        // The viewer's spot fades by its exponent from the middle, or not at all.
        gltf.spot.innerConeAngle = spot->exponent > 0.0f ? 0.0 : 0.95 * gltf.spot.outerConeAngle;
        turn = GltfTurn::FromMinusZ(CVector(spot->direction[0], spot->direction[1], spot->direction[2]));
        SetFalloff(gltf, *spot);
        const float terms[3] = { spot->constantAttenuation, spot->linearAttenuation, spot->quadraticAttenuation };
        extras["attenuation"] = Numbers(terms, 3);
        extras["exponent"] = tinygltf::Value(Finite(spot->exponent, 0.0));
    }
    // A light switched off, or past the eighth, shines in the file but not here.
    if (!light.enabled || !light.HasUnit()) {
        gltf.intensity = 0.0;
        extras["off"] = tinygltf::Value(true);
    }
    gltf.extras = tinygltf::Value(extras);
    builder.gltf.lights.push_back(gltf);

    tinygltf::Node node;
    node.name = light.name;
    if (gltf.type != "directional") {
        node.translation = { Finite(position.x, 0.0), Finite(position.y, 0.0), Finite(position.z, 0.0) };
    }
    if (!turn.IsIdentity()) {
        node.rotation = turn.Values();
    }
    tinygltf::Value::Object reference { { "light", tinygltf::Value(static_cast<int>(builder.gltf.lights.size()) - 1) } };
    node.extensions["KHR_lights_punctual"] = tinygltf::Value(reference);
    return builder.AddNode(node);
}
