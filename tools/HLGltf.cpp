#include "tools/HLGltf.h"

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "image/COGLImage.h"
#include "math/FloatArrays.h"
#include "models/COGLHLModel.h"
#include "models/HLWorkAreas.h"
#include "platform/Cp1252.h"
#include "platform/LittleEndian.h"
#include "tools/CGltfBuilder.h"
#include "tools/GltfTurn.h"
#include "tools/ModelGltf.h"

using namespace hl;

namespace {

// What an export may write (about 64 MB of floats), and what posing the
// frames may cost: a bone posed is some tens of steps, a run walked past one.
constexpr int64_t MAX_NUMBERS = int64_t(16) << 20;
constexpr int64_t MAX_POSE_STEPS = int64_t(1) << 28;
// An accessor, its view and channel weigh about this many numbers.
constexpr int64_t CHANNEL_NUMBERS = 64;
constexpr int64_t BONE_POSE_STEPS = 32;
// Rates outside these are not frames a second anyone plays; they would
// squeeze the keys together or spread them over centuries.
constexpr float DEFAULT_FPS = 10.0f;
constexpr float MIN_FPS = 0.01f;
constexpr float MAX_FPS = 1000.0f;

// A name of the file as glTF's UTF-8.
std::string NameAt(const uint8_t* field, size_t size) {
    const char* text = reinterpret_cast<const char*>(field);
    return Cp1252ToUtf8(std::string(text, strnlen(text, size)));
}

struct Matrix {
    float m[3][4];
};

struct Bone {
    const uint8_t* record;
    int32_t Parent() const { return Int32At(record + 32); }
    float Value(int channel) const { return FloatAt(record + 64 + 4 * channel); }
};

Bone BoneOf(const CHLModelData& data, int32_t b) {
    return { data.Header() + data.HeaderValue(H_BONES) + size_t(b) * BONE_SIZE };
}

void RestRotation(const Bone& bone, float q[4]) {
    const float angles[3] = { bone.Value(3), bone.Value(4), bone.Value(5) };
    AnglesToQuaternion(angles, q);
}

// Each bone's place in the file's axes at its default values, as the viewer
// builds a bone on its parent.
std::vector<Matrix> RestMatrices(const CHLModelData& data) {
    std::vector<Matrix> rest(size_t(data.HeaderValue(H_BONE_COUNT)));
    for (size_t b = 0; b < rest.size(); b++) {
        const Bone bone = BoneOf(data, int32_t(b));
        float q[4];
        RestRotation(bone, q);
        Matrix local;
        QuaternionToMatrix3x4(q, local.m);
        for (int i = 0; i < 3; i++) {
            local.m[i][3] = bone.Value(i);
        }
        if (bone.Parent() < 0) {
            rest[b] = local;
        } else {
            ConcatMatrix3x4(rest[size_t(bone.Parent())].m, local.m, rest[b].m);
        }
    }
    return rest;
}

// The inverse of a rigid 3x4 matrix, column-major 4x4 as glTF keeps them.
void AppendInverse(const Matrix& a, std::vector<float>& out) {
    float inverse[16] = {};
    for (int row = 0; row < 3; row++) {
        float t = 0.0f;
        for (int col = 0; col < 3; col++) {
            inverse[col * 4 + row] = a.m[col][row];
            t -= a.m[col][row] * a.m[col][3];
        }
        inverse[12 + row] = t;
    }
    inverse[15] = 1.0f;
    out.insert(out.end(), inverse, inverse + 16);
}

void Rotate(const Matrix& a, const float v[3], float out[3]) {
    for (int i = 0; i < 3; i++) {
        out[i] = a.m[i][0] * v[0] + a.m[i][1] * v[1] + a.m[i][2] * v[2];
    }
}

// The frames of a sequence the export poses, and at what rate.
struct Clip {
    int32_t     sequence;
    int32_t     frames;
    float       fps;
};

float PlayedRate(float fps) {
    if (!(fps > 0.0f) || !std::isfinite(fps)) {
        return DEFAULT_FPS;
    }
    return fps < MIN_FPS ? MIN_FPS : fps > MAX_FPS ? MAX_FPS : fps;
}

// The runs a channel's lookups may walk, counted up to limit.
int64_t RunCount(const uint8_t* runs, const uint8_t* end, int32_t frames, int64_t limit) {
    int64_t count = 0;
    int64_t covered = 0;
    while (covered < frames && end - runs >= 2 && count <= limit) {
        covered += runs[1];
        runs += 2 + 2 * size_t(runs[0]);
        count++;
    }
    return count;
}

// What posing every frame of the sequence costs: the bones of each blend
// posed, and for each frame the runs walked to reach it.
int64_t PoseSteps(const CHLModelData& data, const Clip& clip, int64_t limit) {
    const uint8_t* record = data.Sequence(clip.sequence);
    const uint8_t* end = nullptr;
    const uint8_t* blocks = data.AnimationData(record, end);
    const int32_t bones = data.HeaderValue(H_BONE_COUNT);
    const int32_t blends = Int32At(record + S_BLEND_COUNT);
    const int32_t posed = blends >= 4 ? 4 : blends > 1 ? 2 : 1;
    int64_t steps = int64_t(clip.frames) * posed * bones * BONE_POSE_STEPS;
    for (int64_t block = 0; block < int64_t(posed) * bones && steps <= limit; block++) {
        const uint8_t* at = blocks + block * 12;
        for (int channel = 0; channel < 6; channel++) {
            const uint16_t offset = U16(at + 2 * channel);
            if (offset != 0 && end - at > offset) {
                steps += clip.frames * RunCount(at + offset, end, clip.frames, (limit - steps) / clip.frames + 1);
            }
        }
    }
    return steps;
}

// The sequences to export, or none with the refusal said.
std::vector<Clip> ChooseClips(const CHLModelData& data, const std::string& animation, ExportNotes& notes) {
    std::vector<Clip> clips;
    const int64_t bones = data.HeaderValue(H_BONE_COUNT);
    int64_t numbers = 0;
    int64_t steps = 0;
    for (const CModelAnimation& sequence : data.sequences) {
        if (!animation.empty() && sequence.name != animation) {
            continue;
        }
        const uint8_t* record = data.Sequence(sequence.first);
        const Clip clip = { sequence.first, Int32At(record + S_FRAME_COUNT), PlayedRate(FloatAt(record + 32)) };
        numbers += int64_t(clip.frames) * (1 + 7 * bones) + 2 * bones * CHANNEL_NUMBERS;
        steps += numbers <= MAX_NUMBERS ? PoseSteps(data, clip, MAX_POSE_STEPS - steps) : 0;
        if (numbers > MAX_NUMBERS || steps > MAX_POSE_STEPS) {
            notes.refusal = "has more frames than an export can hold";
            return {};
        }
        clips.push_back(clip);
    }
    if (clips.empty()) {
        notes.refusal = "has no animation " + animation;
    }
    return clips;
}

// A material for each texture the meshes wear, made when first worn.
class CMaterials {
public:
    CMaterials(CGltfBuilder& gltfBuilder, const CHLModelData& modelData) : builder(gltfBuilder), data(modelData) {}

    int Of(int32_t textureNumber) {
        const auto known = made.find(textureNumber);
        if (known != made.end()) {
            return known->second;
        }
        const uint8_t* record = data.Texture(textureNumber);
        const int32_t flags = Int32At(record + T_FLAGS);
        tinygltf::Material material;
        material.name = NameAt(record, LONG_NAME_SIZE);
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        material.pbrMetallicRoughness.roughnessFactor = 1.0;
        const int texture = builder.AddTexture(*data.textures[size_t(textureNumber)], material.name);
        material.pbrMetallicRoughness.baseColorTexture.index = texture;
        // The viewer cuts out what is under half opaque.
        if ((flags & HL_TEXTURE_MASKED) != 0) {
            material.alphaMode = "MASK";
            material.alphaCutoff = 0.5;
        }
        // Added to what lies behind: glTF has no such blend, so it glows
        // and says what it is.
        if ((flags & HL_TEXTURE_ADDITIVE) != 0 && texture >= 0) {
            material.emissiveTexture.index = texture;
            material.emissiveFactor = { 1.0, 1.0, 1.0 };
            material.extras = tinygltf::Value(tinygltf::Value::Object { { "additive", tinygltf::Value(true) } });
        }
        builder.gltf.materials.push_back(material);
        return made[textureNumber] = static_cast<int>(builder.gltf.materials.size()) - 1;
    }

private:
    CGltfBuilder& builder;
    const CHLModelData& data;
    std::map<int32_t, int> made;
};

// One mesh of a sub-model as a primitive: corners in the bind pose, each on
// its vertex's bone.
tinygltf::Primitive MakePrimitive(CGltfBuilder& builder, const CHLModelData& data, const uint8_t* subModel,
                                  const uint8_t* mesh, int32_t textureNumber, const std::vector<Matrix>& rest) {
    const uint8_t* file = data.Header();
    const uint8_t* vertexBones = file + Int32At(subModel + 84);
    const uint8_t* vertices = file + Int32At(subModel + 88);
    const uint8_t* normalBones = file + Int32At(subModel + 96);
    const uint8_t* normals = file + Int32At(subModel + 100);
    const HLMeshTriangles& triangles = data.Triangles(Int32At(mesh + 4));
    const uint8_t* texture = data.Texture(textureNumber);
    const float width = float(Int32At(texture + T_WIDTH));
    const float height = float(Int32At(texture + T_HEIGHT));
    std::vector<float> positions, directions, texCoords, weights;
    std::vector<uint8_t> joints;
    for (size_t c = 0; c < triangles.vertex.size(); c++) {
        const size_t vertex = size_t(triangles.vertex[c]);
        const size_t normal = size_t(triangles.normal[c]);
        float v[3], n[3], out[3];
        for (int i = 0; i < 3; i++) {
            v[i] = FloatAt(vertices + 12 * vertex + 4 * size_t(i));
            n[i] = FloatAt(normals + 12 * normal + 4 * size_t(i));
        }
        const uint8_t bone = vertexBones[vertex];
        TransformPoint3x4(v, rest[bone].m, out);
        positions.insert(positions.end(), out, out + 3);
        Rotate(rest[normalBones[normal]], n, out);
        // glTF wants unit normals; a file's odd one points along z.
        if (!(Normalize3(out) > 0.0f) || !std::isfinite(out[0] + out[1] + out[2])) {
            out[0] = out[1] = 0.0f;
            out[2] = 1.0f;
        }
        directions.insert(directions.end(), out, out + 3);
        // Texels of the file's picture, whose top row is the PNG's first.
        texCoords.insert(texCoords.end(), { triangles.s[c] / width, triangles.t[c] / height });
        joints.insert(joints.end(), { bone, 0, 0, 0 });
        weights.insert(weights.end(), { 1.0f, 0.0f, 0.0f, 0.0f });
    }
    // The viewer shows the clockwise side; glTF's front is counter-clockwise.
    std::vector<uint32_t> indices = triangles.indices;
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        std::swap(indices[i + 1], indices[i + 2]);
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = builder.AddFloats(positions, 3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
    primitive.attributes["NORMAL"] = builder.AddFloats(directions, 3, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    primitive.attributes["TEXCOORD_0"] = builder.AddFloats(texCoords, 2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    primitive.attributes["JOINTS_0"] = builder.AddAccessor(joints.data(), joints.size() / 4,
                                                           TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4,
                                                           TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["WEIGHTS_0"] = builder.AddFloats(weights, 4, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    primitive.indices = builder.AddIndices(indices);
    return primitive;
}

// The chosen sub-model of every body part, in the chosen skin family.
std::vector<tinygltf::Primitive> MakePrimitives(CGltfBuilder& builder, const COGLHLModel& model,
                                                const std::vector<Matrix>& rest) {
    const CHLModelData& data = *model.data;
    CMaterials materials(builder, data);
    std::vector<tinygltf::Primitive> primitives;
    for (int32_t p = 0; p < data.HeaderValue(H_BODY_PART_COUNT); p++) {
        const uint8_t* subModel = data.Header() + data.SubModelOf(p, model.pose.bodyNumber);
        const uint8_t* meshes = data.Header() + Int32At(subModel + 76);
        for (int32_t m = 0; m < Int32At(subModel + 72); m++) {
            const uint8_t* mesh = meshes + size_t(m) * MESH_SIZE;
            if (data.Triangles(Int32At(mesh + 4)).indices.empty()) {
                continue;
            }
            const int32_t textureNumber = data.MeshTexture(mesh, model.pose.skinNumber);
            primitives.push_back(MakePrimitive(builder, data, subModel, mesh, textureNumber, rest));
            primitives.back().material = materials.Of(textureNumber);
        }
    }
    return primitives;
}

// One node per bone at its defaults, children under their parents; the
// first bone's node is returned, the others follow it.
int AddJoints(CGltfBuilder& builder, const CHLModelData& data) {
    const int first = static_cast<int>(builder.gltf.nodes.size());
    for (int32_t b = 0; b < data.HeaderValue(H_BONE_COUNT); b++) {
        const Bone bone = BoneOf(data, b);
        tinygltf::Node node;
        node.name = NameAt(bone.record, NAME_SIZE);
        node.translation = { bone.Value(0), bone.Value(1), bone.Value(2) };
        float q[4];
        RestRotation(bone, q);
        node.rotation = { q[0], q[1], q[2], q[3] };
        builder.AddNode(node);
        if (bone.Parent() >= 0) {
            builder.gltf.nodes[size_t(first + bone.Parent())].children.push_back(first + b);
        }
    }
    return first;
}

// Each bone's place at every frame of the clip, posed by the viewer's own
// code at whole frames, as an animation of the joints.
tinygltf::Animation MakeAnimation(CGltfBuilder& builder, const COGLHLModel& model, const Clip& clip,
                                  int firstJoint, HLWorkAreas& work) {
    const CHLModelData& data = *model.data;
    const size_t bones = size_t(data.HeaderValue(H_BONE_COUNT));
    CHLPose pose = model.pose;
    pose.SelectSequence(clip.sequence);
    // As the viewer draws it.
    pose.SetBlendValue(data, 0, 0.0f);
    pose.SetBlendValue(data, 1, 0.0f);
    std::vector<float> times;
    std::vector<std::vector<float>> translations(bones), rotations(bones);
    for (int32_t k = 0; k < clip.frames; k++) {
        times.push_back(float(k) / clip.fps);
        pose.frame = float(k);
        SetUpHLBones(data, pose, work);
        for (size_t b = 0; b < bones; b++) {
            float* q = work.quaternion[0][b];
            // Keys on one side of the sphere, so that each step turns the short way.
            std::vector<float>& keys = rotations[b];
            if (!keys.empty() && keys[keys.size() - 4] * q[0] + keys[keys.size() - 3] * q[1] +
                                         keys[keys.size() - 2] * q[2] + keys[keys.size() - 1] * q[3] < 0.0f) {
                for (int i = 0; i < 4; i++) {
                    q[i] = -q[i];
                }
            }
            keys.insert(keys.end(), q, q + 4);
            translations[b].insert(translations[b].end(), work.position[0][b], work.position[0][b] + 3);
        }
    }
    tinygltf::Animation animation;
    animation.name = Cp1252ToUtf8(data.sequences[size_t(clip.sequence)].name);
    const int input = builder.AddFloats(times, 1, 0, true);
    const auto addChannel = [&](const std::vector<float>& values, int components, int node, const char* path) {
        tinygltf::AnimationSampler sampler;
        sampler.input = input;
        sampler.output = builder.AddFloats(values, components, 0, false);
        sampler.interpolation = "LINEAR";
        animation.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
        channel.target_node = node;
        channel.target_path = path;
        animation.channels.push_back(channel);
    };
    for (size_t b = 0; b < bones; b++) {
        addChannel(translations[b], 3, firstJoint + int(b), "translation");
        addChannel(rotations[b], 4, firstJoint + int(b), "rotation");
    }
    return animation;
}

}  // namespace

int AddHLModel(CGltfBuilder& builder, const COGLHLModel& model, const std::string& animation, ExportNotes& notes) {
    if (model.data == nullptr) {
        notes.refusal = "has no data";
        return -1;
    }
    const CHLModelData& data = *model.data;
    const std::vector<Clip> clips = ChooseClips(data, animation, notes);
    if (clips.empty()) {
        return -1;
    }
    tinygltf::Model& gltf = builder.gltf;
    const std::vector<Matrix> rest = RestMatrices(data);
    const std::vector<tinygltf::Primitive> primitives = MakePrimitives(builder, model, rest);

    const int firstJoint = AddJoints(builder, data);
    // The file's (x, y, z) drawn as (y, z, x), lifted onto the lowest point
    // of the sequence's box.
    tinygltf::Node lift;
    lift.name = "axes";
    lift.rotation = { -0.5, -0.5, -0.5, 0.5 };
    const float yOffset = -FloatAt(model.pose.CurrentSequence(data) + S_BOX_MIN + 8);
    if (yOffset != 0.0f) {
        lift.translation = { 0.0, yOffset, 0.0 };
    }
    for (int32_t b = 0; b < data.HeaderValue(H_BONE_COUNT); b++) {
        if (BoneOf(data, b).Parent() < 0) {
            lift.children.push_back(firstJoint + b);
        }
    }
    const int liftNode = builder.AddNode(lift);
    tinygltf::Node placed;
    placed.name = "placement";
    const GltfTurn turn = GltfTurn::OfViewer(model.orientation);
    if (!turn.IsIdentity()) {
        placed.rotation = turn.Values();
    }
    if (model.scale.x != 1.0f || model.scale.y != 1.0f || model.scale.z != 1.0f) {
        placed.scale = { model.scale.x, model.scale.y, model.scale.z };
    }
    placed.children = { liftNode };
    // The skinned mesh's node is the root, as glTF ignores the transforms
    // above such a node; its joints carry the placement instead.
    tinygltf::Node root;
    root.name = model.name;
    root.children = { builder.AddNode(placed) };
    if (!primitives.empty()) {
        tinygltf::Mesh mesh;
        mesh.name = model.name;
        mesh.primitives = primitives;
        gltf.meshes.push_back(mesh);
        root.mesh = static_cast<int>(gltf.meshes.size()) - 1;
        tinygltf::Skin skin;
        skin.name = model.name;
        skin.skeleton = liftNode;
        std::vector<float> inverses;
        for (size_t b = 0; b < rest.size(); b++) {
            skin.joints.push_back(firstJoint + int(b));
            AppendInverse(rest[b], inverses);
        }
        skin.inverseBindMatrices = builder.AddFloats(inverses, 16, 0, false);
        gltf.skins.push_back(skin);
        root.skin = static_cast<int>(gltf.skins.size()) - 1;
    }
    const int rootNode = builder.AddNode(root);
    if (data.HeaderValue(H_BONE_COUNT) > 0) {
        const auto work = std::make_unique<HLWorkAreas>();
        for (const Clip& clip : clips) {
            gltf.animations.push_back(MakeAnimation(builder, model, clip, firstJoint, *work));
        }
    }
    return rootNode;
}
