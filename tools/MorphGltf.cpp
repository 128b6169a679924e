#include "tools/MorphGltf.h"

#include <algorithm>

#include "models/CMeshArrays.h"
#include "models/CModelAnimation.h"
#include "image/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "platform/SettingsKeys.h"
#include "tools/GltfTurn.h"
#include "tools/MorphModel.h"

namespace {

// What the parts shared between copies of a model are made of.
enum { SHARE_MATERIAL, SHARE_MESH, SHARE_KEYS_LINEAR, SHARE_KEYS_STEP };

// The viewer advances an animation by frameStep frames on each tick of its
// redraw timer. Exports are timed at the timer's default delay (60 ms): with
// the default step of 1/8 a frame, a frame lasts 0.48 s.
constexpr double TICK_SECONDS = Setting::timerDelay.defaultValue / 1000.0;

// Each corner's vertex (or normal) in a frame, less its value in the base
// frame when there is one.
std::vector<float> CornerPositions(const CMeshArrays& part, const std::vector<CVector>& frame,
                                   const std::vector<CVector>* base) {
    std::vector<float> positions;
    positions.reserve(3 * part.CornerCount());
    for (size_t corner = 0; corner < part.CornerCount(); corner++) {
        const size_t vertex = static_cast<size_t>(part.CornerVertex(corner));
        CVector p = frame[vertex];
        if (base != nullptr) {
            p -= (*base)[vertex];
        }
        positions.insert(positions.end(), { p.x, p.y, p.z });
    }
    return positions;
}

// The viewer's texture coordinates flip t, because its pictures are kept
// bottom row first; glTF's start at the top, as the PNG's rows do.
std::vector<float> CornerTexCoords(const CMeshArrays& part) {
    std::vector<float> texCoords;
    texCoords.reserve(2 * part.CornerCount());
    for (size_t corner = 0; corner < part.CornerCount(); corner++) {
        texCoords.insert(texCoords.end(), { part.S(corner), -part.T(corner) });
    }
    return texCoords;
}

// The viewer winds model triangles clockwise; glTF's front faces are
// counter-clockwise.
int AddIndices(CGltfBuilder& builder, const CMeshArrays& part) {
    std::vector<uint32_t> indices = part.Indices();
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        std::swap(indices[i + 1], indices[i + 2]);
    }
    return builder.AddIndices(indices);
}

tinygltf::Primitive MakePrimitive(CGltfBuilder& builder, const CMeshArrays& part, const MorphModel& morph,
                                  const MorphMaterials& materials) {
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = materials.material;
    if (!materials.variants.empty()) {
        tinygltf::Value::Array mappings;
        for (const auto& [variant, material] : materials.variants) {
            tinygltf::Value::Object mapping;
            mapping["material"] = tinygltf::Value(material);
            mapping["variants"] = tinygltf::Value(tinygltf::Value::Array { tinygltf::Value(variant) });
            mappings.emplace_back(mapping);
        }
        tinygltf::Value::Object extension;
        extension["mappings"] = tinygltf::Value(mappings);
        primitive.extensions["KHR_materials_variants"] = tinygltf::Value(extension);
    }
    const std::vector<CVector>& base = morph.frames.front();
    primitive.attributes["POSITION"] =
        builder.AddFloats( CornerPositions(part, base, nullptr), 3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
    primitive.attributes["TEXCOORD_0"] = builder.AddFloats( CornerTexCoords(part), 2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    primitive.indices = AddIndices(builder, part);
    for (const std::vector<CVector>& frame : morph.frames) {
        primitive.targets.push_back(
            { { "POSITION", builder.AddFloats( CornerPositions(part, frame, &base), 3, TINYGLTF_TARGET_ARRAY_BUFFER, true) } });
    }
    return primitive;
}

// One weight per morph target at each key: all 0 but the shown frame's.
void AddKey(std::vector<float>& times, std::vector<float>& weights, double time, int32_t frame, size_t targets) {
    times.push_back(static_cast<float>(time));
    const size_t start = weights.size();
    weights.resize(start + targets, 0.0f);
    weights[start + static_cast<size_t>(frame)] = 1.0f;
}

// The frames at the times the viewer shows them. Interpolating, it blends
// from each frame to the next and holds the last one for one tick before
// starting again; otherwise each frame shows for a whole frame's time.
tinygltf::Animation MakeAnimation(CGltfBuilder& builder, const MorphModel& morph, const MorphModel::Clip& clip,
                                  double frameSeconds, bool interpolate, int node) {
    tinygltf::Animation animation;
    animation.name = clip.name;
    tinygltf::AnimationChannel channel;
    channel.sampler = 0;
    channel.target_node = node;
    channel.target_path = "weights";
    animation.channels.push_back(channel);
    tinygltf::AnimationSampler sampler;
    sampler.interpolation = interpolate ? "LINEAR" : "STEP";
    // Copies of a model share their keys.
    const auto targets = static_cast<size_t>(morph.frameCount);
    const CGltfBuilder::ShareKey key { morph.source, interpolate ? SHARE_KEYS_LINEAR : SHARE_KEYS_STEP,
                                       clip.first, int64_t(targets), frameSeconds };
    sampler.input = builder.Shared(key);
    if (sampler.input >= 0) {
        sampler.output = sampler.input + 1;
        animation.samplers.push_back(sampler);
        return animation;
    }
    std::vector<float> times, weights;
    for (int32_t i = 0; i < clip.count; i++) {
        AddKey(times, weights, i * frameSeconds, clip.first + i, targets);
    }
    const int32_t last = clip.first + clip.count - 1;
    AddKey(times, weights, interpolate ? (clip.count - 1) * frameSeconds + TICK_SECONDS : clip.count * frameSeconds,
           last, targets);
    sampler.input = builder.AddFloats(times, 1, 0, true);
    sampler.output = builder.AddFloats(weights, 1, 0, false);
    builder.Share(key, sampler.input);
    animation.samplers.push_back(sampler);
    return animation;
}

// The model's orientation and scale on an outer node, and the lift by
// yOffset inside the scale on the mesh's node, as the viewer places it.
// Returns the outer node.
int AddNodes(CGltfBuilder& builder, const COGLModel& model, int mesh) {
    tinygltf::Node meshNode;
    meshNode.mesh = mesh;
    if (model.yOffset != 0.0f) {
        meshNode.translation = { 0.0, model.yOffset, 0.0 };
    }
    tinygltf::Node placed;
    placed.name = model.name;
    const GltfTurn turn = GltfTurn::OfViewer(model.orientation);
    if (!turn.IsIdentity()) {
        placed.rotation = turn.Values();
    }
    if (model.scale.x != 1.0f || model.scale.y != 1.0f || model.scale.z != 1.0f) {
        placed.scale = { model.scale.x, model.scale.y, model.scale.z };
    }
    placed.children = { builder.AddNode(meshNode) };
    return builder.AddNode(placed);
}

// The frame the model shows now, blended towards the next as the viewer
// blends them: what a glTF viewer shows of its node when no animation
// plays. None when that is the base frame, which the mesh shows by itself.
std::vector<double> ShownWeights(const COGLModel& model, const MorphModel& morph) {
    const CModelAnimation* shown = model.GetAnimation();
    for (const MorphModel::Clip& clip : morph.clips) {
        if (shown == nullptr || clip.name != shown->name) {
            continue;
        }
        const int64_t current = int64_t(clip.first) + model.CurrentFrame();
        const int64_t next = int64_t(clip.first) + model.NextFrame();
        const double fraction = std::clamp(double(model.FrameFraction()), 0.0, 1.0);
        const int64_t size = morph.frameCount;
        if (current <= 0 && (fraction == 0.0 || next <= 0)) {
            return {};
        }
        if (current < 0 || current >= size || next < 0 || next >= size) {
            return {};
        }
        std::vector<double> weights(static_cast<size_t>(morph.frameCount), 0.0);
        weights[size_t(current)] = 1.0 - fraction;
        weights[size_t(next)] += fraction;
        return weights;
    }
    return {};
}

CGltfBuilder::ShareKey MeshKey(const MorphModel& morph, const MorphMaterials& materials) {
    return { morph.source, SHARE_MESH, materials.material, morph.frameCount, 0.0 };
}

}  // namespace

bool HasMorphMesh(const CGltfBuilder& builder, const MorphModel& morph, const MorphMaterials& materials) {
    return builder.Shared(MeshKey(morph, materials)) >= 0;
}

MorphMaterials AddSkinMaterials(CGltfBuilder& builder, const COGLModel& model) {
    MorphMaterials materials;
    std::vector<std::pair<std::string, int>> worn;   // each skin's title and material
    for (const COGLTexture2D* skin : model.Skins()) {
        if (skin == nullptr || !skin->HasPicture()) {
            continue;
        }
        const CGltfBuilder::ShareKey key { skin, SHARE_MATERIAL, 0, 0, 0.0 };
        int index = builder.Shared(key);
        if (index < 0) {
            const int texture = builder.AddTexture(*skin->image, skin->Title());
            if (texture < 0) {
                continue;
            }
            tinygltf::Material material;
            material.name = skin->Title();
            material.pbrMetallicRoughness.metallicFactor = 0.0;
            material.pbrMetallicRoughness.roughnessFactor = 1.0;
            material.pbrMetallicRoughness.baseColorTexture.index = texture;
            builder.gltf.materials.push_back(material);
            index = static_cast<int>(builder.gltf.materials.size()) - 1;
            builder.Share(key, index);
        }
        if (materials.material < 0 || skin == model.Texture()) {
            materials.material = index;
        }
        // A variant is a name: skins of one title are one choice.
        if (std::none_of(worn.begin(), worn.end(), [&](const auto& w) { return w.first == skin->Title(); })) {
            worn.emplace_back(skin->Title(), index);
        }
    }
    // One skin is no choice.
    for (size_t i = 0; worn.size() > 1 && i < worn.size(); i++) {
        materials.variants.emplace_back(builder.AddVariant(worn[i].first), worn[i].second);
    }
    return materials;
}

int AddMorphModel(CGltfBuilder& builder, const COGLModel& model, const MorphModel& morph,
                  const MorphMaterials& materials, size_t shareFrom) {
    tinygltf::Model& gltf = builder.gltf;
    // Copies of a model wearing the same skin share its mesh; each node
    // shows its own frame.
    const CGltfBuilder::ShareKey key = MeshKey(morph, materials);
    int meshIndex = builder.Shared(key);
    if (meshIndex < 0) {
        tinygltf::Mesh mesh;
        mesh.name = model.name;
        for (const CMeshArrays* part : morph.parts) {
            if (!part->Indices().empty()) {
                mesh.primitives.push_back(MakePrimitive(builder, *part, morph, materials));
            }
        }
        // A mesh needs a primitive: a model without triangles is its nodes alone.
        if (mesh.primitives.empty()) {
            return AddNodes(builder, model, -1);
        }
        gltf.meshes.push_back(mesh);
        meshIndex = static_cast<int>(gltf.meshes.size()) - 1;
        builder.Share(key, meshIndex);
    }
    const int root = AddNodes(builder, model, meshIndex);
    const int meshNode = gltf.nodes[static_cast<size_t>(root)].children[0];
    gltf.nodes[static_cast<size_t>(meshNode)].weights = ShownWeights(model, morph);
    const double step = model.frameStep > 0.0f ? model.frameStep : 0.125;
    const double frameSeconds = TICK_SECONDS / step;
    for (const MorphModel::Clip& clip : morph.clips) {
        if (clip.count <= 0) {
            continue;
        }
        tinygltf::Animation animation =
            MakeAnimation(builder, morph, clip, frameSeconds, model.interpolate, meshNode);
        const auto shared = std::find_if(gltf.animations.begin() + static_cast<std::ptrdiff_t>(shareFrom),
                                         gltf.animations.end(),
                                         [&](const tinygltf::Animation& a) { return a.name == clip.name; });
        if (shared == gltf.animations.end()) {
            gltf.animations.push_back(animation);
            continue;
        }
        animation.channels[0].sampler = static_cast<int>(shared->samplers.size());
        shared->samplers.push_back(animation.samplers[0]);
        shared->channels.push_back(animation.channels[0]);
    }
    return root;
}
