// tvntool export of scenes: the real ones pass the Khronos validator, and a
// made one comes out with its objects where the viewer puts them, shaped as
// it draws them, with its light and camera.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "math/CMatrix.h"
#include "math/CQuaternion.h"
#include "models/Md2Bytes.h"
#include "support/GltfExport.h"
#include "support/RealFiles.h"
#include "support/SceneBytes.h"
#include "support/TestFolder.h"

namespace {

constexpr int32_t TYPE_BOX = 2, TYPE_SPHERE = 3, TYPE_TEXT = 7, TYPE_MD2 = 12;

// The node showing the mesh of that name, or null.
const tinygltf::Node* NodeWithMesh(const tinygltf::Model& gltf, const std::string& meshName) {
    for (const tinygltf::Node& node : gltf.nodes) {
        if (node.mesh >= 0 && gltf.meshes[static_cast<size_t>(node.mesh)].name.starts_with(meshName)) {
            return &node;
        }
    }
    return nullptr;
}

// The node's rotation as the column-major matrix glTF means by it.
CMatrix MatrixOf(const std::vector<double>& q) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    CMatrix m;
    const double columns[9] = { 1 - 2 * (y * y + z * z), 2 * (x * y + w * z),     2 * (x * z - w * y),
                                2 * (x * y - w * z),     1 - 2 * (x * x + z * z), 2 * (y * z + w * x),
                                2 * (x * z + w * y),     2 * (y * z - w * x),     1 - 2 * (x * x + y * y) };
    for (int column = 0; column < 3; column++) {
        for (int row = 0; row < 3; row++) {
            m.m[4 * column + row] = columns[3 * column + row];
        }
    }
    return m;
}

}  // namespace

TEST(SceneExport, RealScenesPassTheValidator) {
    std::vector<std::filesystem::path> scenes = TestDataFiles("", ".tvn");
    const std::filesystem::path demo = std::filesystem::path(TVNTOOL_PATH).parent_path() / "demo" / "demo.tvn";
    if (std::filesystem::exists(demo)) {
        scenes.push_back(demo);
    }
    if (scenes.empty() || !CanValidate()) {
        GTEST_SKIP() << "no real scenes, or no validator";
    }
    CTestFolder folder;
    for (const std::filesystem::path& scene : scenes) {
        SCOPED_TRACE(scene.string());
        const std::string out = folder.Path("scene.glb");
        EXPECT_LE(Export(scene.string(), out), 1);
        EXPECT_EQ(ValidationErrors(out), "");
    }
}

TEST(SceneExport, PlacesShapesTextModelLightAndCamera) {
    CTestFolder folder;
    Md2Layout md2;
    for (const char* name : { "stand1", "stand2", "stand3" }) {
        md2.frames.push_back(NamedFrame(name, { { 0, 0, 0, 0 }, { 9, 0, 0, 0 }, { 0, 9, 0, 0 } }));
    }
    md2.Run(3).Vertex(0, 0, 0).Vertex(0, 1, 1).Vertex(1, 0, 2).End();
    // Shown a quarter of the way from its second frame to its third.
    ModelRecord model;
    model.path = folder.Write("m.md2", Text(md2.Write()));
    model.animationIndex = 1;
    model.framePosition = 1.25f;
    model.currentFrame = 1;
    model.nextFrame = 2;
    model.frameFraction = 0.25f;
    SceneHeader header;
    header.lights = 1;
    header.objects = 4;
    Bytes b = header.Write();
    AppendPointLight(b, 0);
    AppendObject(b, TYPE_BOX, -1);
    AppendObject(b, TYPE_SPHERE, -1);
    AppendObject(b, TYPE_TEXT, -1, SampleTextRecord("Orrin", "Arial", true, false));
    const Bytes record = model.Write(6);
    b.I32(TYPE_MD2).Raw(record.bytes.data(), record.Size());
    const std::string out = folder.Path("scene.gltf");
    ASSERT_LE(Export(folder.Write("s.tvn", Text(b)), out), 1);
    tinygltf::Model gltf;
    std::string error;
    ASSERT_TRUE(ReadGltf(out, gltf, error)) << error;
    if (CanValidate()) {
        EXPECT_EQ(ValidationErrors(out), "");
    }

    // The sample record: at (-8, 6, 7), scaled (2, 3, 4), turned as the
    // viewer turns by the quaternion (0.1, 0.2, 0.3, 0.9), made unit.
    const tinygltf::Node* sphere = NodeWithMesh(gltf, "COGLSphere");
    ASSERT_NE(sphere, nullptr);
    EXPECT_EQ(sphere->translation, (std::vector<double> { -8, 6, 7 }));
    EXPECT_EQ(sphere->scale, (std::vector<double> { 2, 3, 4 }));
    ASSERT_EQ(sphere->rotation.size(), 4u);
    const float length = std::sqrt(0.95f);
    CMatrix viewer;
    CQuaternion(0.1f / length, 0.2f / length, 0.3f / length, 0.9f / length).ToMatrix(viewer);
    const CMatrix exported = MatrixOf(sphere->rotation);
    for (int i = 0; i < 16; i++) {
        EXPECT_NEAR(exported.m[i], viewer.m[i], 1e-5) << i;
    }
    // Every vertex on the unit sphere, its normal pointing out through it.
    const tinygltf::Primitive& ball = gltf.meshes[static_cast<size_t>(sphere->mesh)].primitives[0];
    const int positions = ball.attributes.at("POSITION");
    const float* p = FloatsOf(gltf, positions);
    const float* n = FloatsOf(gltf, ball.attributes.at("NORMAL"));
    const size_t count = gltf.accessors[static_cast<size_t>(positions)].count;
    EXPECT_GT(count, 200u);
    for (size_t i = 0; i < 3 * count; i += 3) {
        EXPECT_NEAR(std::sqrt(p[i] * p[i] + p[i + 1] * p[i + 1] + p[i + 2] * p[i + 2]), 1.0, 1e-4) << i / 3;
        EXPECT_NEAR(p[i] * n[i] + p[i + 1] * n[i + 1] + p[i + 2] * n[i + 2], 1.0, 1e-3) << i / 3;
    }
    // The box: six faces of four corners each, from -1 to 1.
    const tinygltf::Node* box = NodeWithMesh(gltf, "COGLBox");
    ASSERT_NE(box, nullptr);
    const tinygltf::Accessor& corners =
        gltf.accessors[static_cast<size_t>(gltf.meshes[static_cast<size_t>(box->mesh)].primitives[0].attributes.at("POSITION"))];
    EXPECT_EQ(corners.count, 24u);
    for (int axis = 0; axis < 3; axis++) {
        EXPECT_NEAR(corners.minValues[static_cast<size_t>(axis)], -1.0, 1e-4);
        EXPECT_NEAR(corners.maxValues[static_cast<size_t>(axis)], 1.0, 1e-4);
    }
    EXPECT_NE(NodeWithMesh(gltf, "COGLText"), nullptr);

    // The model under a node at the object's place; the light; the camera.
    int modelNodes = 0, lightNodes = 0, cameraNodes = 0;
    for (const tinygltf::Node& node : gltf.nodes) {
        modelNodes += node.mesh < 0 && node.children.size() == 1 && node.translation == sphere->translation;
        lightNodes += node.extensions.count("KHR_lights_punctual") > 0;
        cameraNodes += node.camera >= 0;
    }
    EXPECT_EQ(modelNodes, 1);
    const auto morph = std::find_if(gltf.nodes.begin(), gltf.nodes.end(),
                                    [](const tinygltf::Node& node) { return !node.weights.empty(); });
    ASSERT_NE(morph, gltf.nodes.end());
    EXPECT_EQ(morph->weights, std::vector<double>({ 0.0, 0.75, 0.25 }));
    EXPECT_EQ(gltf.lights.size(), 1u);
    EXPECT_EQ(lightNodes, 1);
    EXPECT_EQ(gltf.cameras.size(), 1u);
    EXPECT_EQ(cameraNodes, 1);
}
