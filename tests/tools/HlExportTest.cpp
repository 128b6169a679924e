// tvntool export of Half-Life models: every real model comes out as glTF the
// Khronos validator accepts, and its joints, sampled as a glTF player does
// between the keys, stand where the viewer poses the bones at that moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "math/FloatArrays.h"
#include "models/COGLHLModel.h"
#include "models/HLWorkAreas.h"
#include "models/HlBytes.h"
#include "scene/COGLScene.h"
#include "support/GltfExport.h"
#include "support/LoadedModels.h"
#include "support/TestFolder.h"
#include "tools/CToolScene.h"

namespace {

struct Matrix {
    float m[3][4];
};

// A channel's value at time t, keys interpolated LINEAR (rotations slerped).
void Sample(const tinygltf::Model& gltf, const tinygltf::AnimationSampler& sampler, int components, float t,
            float* out) {
    const float* times = FloatsOf(gltf, sampler.input);
    const float* values = FloatsOf(gltf, sampler.output);
    const size_t keys = gltf.accessors[size_t(sampler.input)].count;
    size_t i = 0;
    while (i + 1 < keys && times[i + 1] <= t) {
        i++;
    }
    const size_t next = std::min(i + 1, keys - 1);
    const float u = next == i ? 0.0f : std::clamp((t - times[i]) / (times[next] - times[i]), 0.0f, 1.0f);
    const float* a = values + size_t(components) * i;
    const float* b = values + size_t(components) * next;
    if (components == 4) {
        float q[4] = { b[0], b[1], b[2], b[3] };
        SlerpQuaternion(a, q, u, out);
        return;
    }
    for (int c = 0; c < components; c++) {
        out[c] = a[c] * (1.0f - u) + b[c] * u;
    }
}

// Each joint's place in the skeleton at time t of the animation, composed
// from the node hierarchy below the joints' common parent.
std::vector<Matrix> ExportedPose(const tinygltf::Model& gltf, const tinygltf::Animation& animation, float t) {
    const std::vector<int>& joints = gltf.skins.at(0).joints;
    std::map<int, int> parentOf;
    for (size_t n = 0; n < gltf.nodes.size(); n++) {
        for (int child : gltf.nodes[n].children) {
            parentOf[child] = int(n);
        }
    }
    std::map<int, size_t> jointOf;
    std::vector<Matrix> pose(joints.size());
    for (size_t j = 0; j < joints.size(); j++) {
        const tinygltf::Node& node = gltf.nodes[size_t(joints[j])];
        float q[4] = { float(node.rotation[0]), float(node.rotation[1]), float(node.rotation[2]),
                       float(node.rotation[3]) };
        float p[3] = { float(node.translation[0]), float(node.translation[1]), float(node.translation[2]) };
        for (const tinygltf::AnimationChannel& channel : animation.channels) {
            if (channel.target_node == joints[j]) {
                const bool rotation = channel.target_path == "rotation";
                Sample(gltf, animation.samplers[size_t(channel.sampler)], rotation ? 4 : 3, t, rotation ? q : p);
            }
        }
        Matrix local;
        QuaternionToMatrix3x4(q, local.m);
        for (int i = 0; i < 3; i++) {
            local.m[i][3] = p[i];
        }
        const auto parent = jointOf.find(parentOf[joints[j]]);
        if (parent == jointOf.end()) {
            pose[j] = local;
        } else {
            ConcatMatrix3x4(pose[parent->second].m, local.m, pose[j].m);
        }
        jointOf[joints[j]] = j;
    }
    return pose;
}

// Every sequence of the export, sampled at its middle frame, poses the
// skeleton as the viewer does at that frame. (Between frames the viewer holds
// a bone whose angles move less than 0.001 radians, where a glTF player
// turns it smoothly: they part by design there.)
void ExpectViewerPoses(const std::string& model, const tinygltf::Model& gltf) {
    COGLScene scene;
    COGLHLModel hl;
    LoadModelInto(scene, hl, model);
    ASSERT_TRUE(hl.IsLoaded());
    const CHLModelData& data = *hl.data;
    ASSERT_EQ(gltf.animations.size(), data.sequences.size());
    const auto work = std::make_unique<HLWorkAreas>();
    for (const tinygltf::Animation& animation : gltf.animations) {
        const CModelAnimation& sequence =
            *std::find_if(data.sequences.begin(), data.sequences.end(),
                          [&](const CModelAnimation& s) { return s.name == animation.name; });
        const float* times = FloatsOf(gltf, animation.samplers.at(0).input);
        const size_t keys = gltf.accessors[size_t(animation.samplers[0].input)].count;
        const size_t k = keys / 2;
        const float t = times[k];
        CHLPose pose = hl.pose;
        pose.SelectSequence(sequence.first);
        pose.SetBlendValue(data, 0, 0.0f);
        pose.SetBlendValue(data, 1, 0.0f);
        pose.frame = float(k);
        SetUpHLBones(data, pose, *work);
        const std::vector<Matrix> exported = ExportedPose(gltf, animation, t);
        for (size_t b = 0; b < exported.size(); b++) {
            for (int i = 0; i < 3; i++) {
                for (int j = 0; j < 4; j++) {
                    const float expected = work->boneTransform[b][i][j];
                    ASSERT_NEAR(exported[b].m[i][j], expected, 1e-3f * std::max(1.0f, std::fabs(expected)))
                        << animation.name << " bone " << b << " [" << i << "][" << j << "] at " << t;
                }
            }
        }
    }
}

TEST(HlExport, RealModelsValidateAndPoseAsTheViewerDoes) {
    const std::vector<std::filesystem::path> models = RealHlModels();
    if (models.empty()) {
        GTEST_SKIP() << "no Half-Life test data";
    }
    const CTestFolder folder;
    for (const std::filesystem::path& model : models) {
        SCOPED_TRACE(model.string());
        const std::string output = folder.Path(model.stem().string() + ".glb");
        const int exitCode = Export(model.string(), output);
        ASSERT_TRUE(exitCode == EXIT_LOADED || exitCode == EXIT_INCOMPLETE) << exitCode;
        if (CanValidate()) {
            EXPECT_EQ(ValidationErrors(output), "");
        }
        tinygltf::Model gltf;
        std::string error;
        ASSERT_TRUE(ReadGltf(output, gltf, error)) << error;
        ExpectViewerPoses(model.string(), gltf);
    }
}

}  // namespace
