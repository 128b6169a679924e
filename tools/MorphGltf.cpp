#include "tools/MorphGltf.h"

#include <algorithm>

#include "models/CMeshArrays.h"
#include "models/COGLModel.h"
#include "platform/SettingsKeys.h"
#include "tools/MorphModel.h"

namespace {

// The viewer advances an animation by frameStep frames on each tick of its
// redraw timer. Exports are timed at the timer's default delay (60 ms): with
// the default step of 1/8 a frame, a frame lasts 0.48 s.
constexpr double TICK_SECONDS = Setting::timerDelay.defaultValue / 1000.0;

// Appends bytes to the one buffer, 4-byte aligned, as a view of their own.
int AddView(tinygltf::Model& gltf, const void* data, size_t size, int target) {
    std::vector<unsigned char>& bytes = gltf.buffers[0].data;
    bytes.resize((bytes.size() + 3) & ~size_t(3));
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = bytes.size();
    view.byteLength = size;
    view.target = target;
    const auto* from = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), from, from + size);
    gltf.bufferViews.push_back(view);
    return static_cast<int>(gltf.bufferViews.size()) - 1;
}

// Floats of `components` each (1, 2 or 3) as an accessor, with their bounds
// when asked (positions and animation times must carry them).
int AddFloats(tinygltf::Model& gltf, const std::vector<float>& values, int components, int target, bool bounds) {
    static const int types[] = { 0, TINYGLTF_TYPE_SCALAR, TINYGLTF_TYPE_VEC2, TINYGLTF_TYPE_VEC3 };
    tinygltf::Accessor accessor;
    accessor.bufferView = AddView(gltf, values.data(), values.size() * sizeof(float), target);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = types[components];
    accessor.count = values.size() / static_cast<size_t>(components);
    if (bounds) {
        accessor.minValues.assign(values.begin(), values.begin() + components);
        accessor.maxValues = accessor.minValues;
        for (size_t i = 0; i < values.size(); i++) {
            const size_t c = i % static_cast<size_t>(components);
            accessor.minValues[c] = std::min<double>(accessor.minValues[c], values[i]);
            accessor.maxValues[c] = std::max<double>(accessor.maxValues[c], values[i]);
        }
    }
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size()) - 1;
}

// Each corner's vertex in a frame, less its place in the base frame when
// there is one.
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
int AddIndices(tinygltf::Model& gltf, const CMeshArrays& part) {
    std::vector<uint32_t> indices = part.Indices();
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        std::swap(indices[i + 1], indices[i + 2]);
    }
    tinygltf::Accessor accessor;
    accessor.bufferView = AddView(gltf, indices.data(), indices.size() * sizeof(uint32_t),
                                  TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    accessor.type = TINYGLTF_TYPE_SCALAR;
    accessor.count = indices.size();
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size()) - 1;
}

tinygltf::Primitive MakePrimitive(tinygltf::Model& gltf, const CMeshArrays& part, const MorphModel& morph,
                                  int material) {
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = material;
    const std::vector<CVector>& base = morph.frames.front();
    primitive.attributes["POSITION"] =
        AddFloats(gltf, CornerPositions(part, base, nullptr), 3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
    primitive.attributes["TEXCOORD_0"] = AddFloats(gltf, CornerTexCoords(part), 2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    primitive.indices = AddIndices(gltf, part);
    for (const std::vector<CVector>& frame : morph.frames) {
        primitive.targets.push_back(
            { { "POSITION", AddFloats(gltf, CornerPositions(part, frame, &base), 3, TINYGLTF_TARGET_ARRAY_BUFFER, true) } });
    }
    return primitive;
}

int AddMaterial(tinygltf::Model& gltf, const MorphPicture& picture) {
    tinygltf::Material material;
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 1.0;
    if (!picture.png.empty()) {
        tinygltf::Image image;
        image.mimeType = "image/png";
        if (picture.uri.empty()) {
            image.bufferView = AddView(gltf, picture.png.data(), picture.png.size(), 0);
        } else {
            image.uri = picture.uri;
        }
        gltf.images.push_back(image);
        // Mipmapped and repeating, as the viewer uploads its skins.
        tinygltf::Sampler sampler;
        sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
        gltf.samplers.push_back(sampler);
        tinygltf::Texture texture;
        texture.source = 0;
        texture.sampler = 0;
        gltf.textures.push_back(texture);
        material.pbrMetallicRoughness.baseColorTexture.index = 0;
    }
    gltf.materials.push_back(material);
    return 0;
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
tinygltf::Animation MakeAnimation(tinygltf::Model& gltf, const MorphModel::Clip& clip, size_t targets,
                                  double frameSeconds, bool interpolate, int node) {
    std::vector<float> times, weights;
    for (int32_t i = 0; i < clip.count; i++) {
        AddKey(times, weights, i * frameSeconds, clip.first + i, targets);
    }
    const int32_t last = clip.first + clip.count - 1;
    AddKey(times, weights, interpolate ? (clip.count - 1) * frameSeconds + TICK_SECONDS : clip.count * frameSeconds,
           last, targets);
    tinygltf::AnimationSampler sampler;
    sampler.input = AddFloats(gltf, times, 1, 0, true);
    sampler.output = AddFloats(gltf, weights, 1, 0, false);
    sampler.interpolation = interpolate ? "LINEAR" : "STEP";
    tinygltf::AnimationChannel channel;
    channel.sampler = 0;
    channel.target_node = node;
    channel.target_path = "weights";
    tinygltf::Animation animation;
    animation.name = clip.name;
    animation.samplers.push_back(sampler);
    animation.channels.push_back(channel);
    return animation;
}

// The model's orientation and scale on an outer node, and the lift by
// yOffset inside the scale on the mesh's node, as the viewer places it.
void AddNodes(tinygltf::Model& gltf, const COGLModel& model) {
    tinygltf::Node placed;
    placed.name = model.name;
    const CQuaternion& q = model.orientation;
    if (q.x != 0.0f || q.y != 0.0f || q.z != 0.0f) {
        placed.rotation = { q.x, q.y, q.z, q.w };
    }
    if (model.scale.x != 1.0f || model.scale.y != 1.0f || model.scale.z != 1.0f) {
        placed.scale = { model.scale.x, model.scale.y, model.scale.z };
    }
    placed.children = { 1 };
    tinygltf::Node meshNode;
    meshNode.mesh = 0;
    if (model.yOffset != 0.0f) {
        meshNode.translation = { 0.0, model.yOffset, 0.0 };
    }
    gltf.nodes = { placed, meshNode };
    tinygltf::Scene scene;
    scene.nodes = { 0 };
    gltf.scenes = { scene };
    gltf.defaultScene = 0;
}

}  // namespace

tinygltf::Model BuildMorphGltf(const COGLModel& model, const MorphModel& morph, const MorphPicture& picture) {
    tinygltf::Model gltf;
    gltf.asset.version = "2.0";
    gltf.asset.generator = "tvntool";
    gltf.buffers.emplace_back();
    AddNodes(gltf, model);
    const int material = AddMaterial(gltf, picture);
    tinygltf::Mesh mesh;
    mesh.name = model.name;
    for (const CMeshArrays* part : morph.parts) {
        if (!part->Indices().empty()) {
            mesh.primitives.push_back(MakePrimitive(gltf, *part, morph, material));
        }
    }
    // A mesh needs a primitive: a model without triangles is its nodes alone.
    if (mesh.primitives.empty()) {
        gltf.nodes[1].mesh = -1;
        return gltf;
    }
    gltf.meshes.push_back(mesh);
    const double step = model.frameStep > 0.0f ? model.frameStep : 0.125;
    const double frameSeconds = TICK_SECONDS / step;
    for (const MorphModel::Clip& clip : morph.clips) {
        if (clip.count > 0) {
            gltf.animations.push_back(
                MakeAnimation(gltf, clip, morph.frames.size(), frameSeconds, model.interpolate, 1));
        }
    }
    return gltf;
}
