#include "tools/SpriteGltf.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "models/COGLSprite.h"
#include "platform/SettingsKeys.h"
#include "tools/CGltfBuilder.h"

namespace {

// The viewer advances a sprite by frameStep frames on each tick of its
// redraw timer, exported at the timer's default delay.
constexpr double TICK_SECONDS = Setting::timerDelay.defaultValue / 1000.0;

// A sprite file may hold 65,536 frames of a pixel each. Each frame costs
// the export its node, mesh, material, picture and keys, some 16 KB as they
// are made and written whatever its size: counted as 4,096 numbers against
// the same 16M as a morph model's, which keeps 4,096 frames, far more than
// a real sprite has. The pictures, each encoded once, are held to 16M
// pixels (64 MB).
constexpr size_t MAX_SPRITE_NUMBERS = size_t(16) << 20;
constexpr size_t NUMBERS_PER_FRAME = 4096;
constexpr size_t MAX_SPRITE_PIXELS = size_t(16) << 20;

constexpr int32_t GL_MODULATE_MODE = 0x2100;
// Where the viewer's alpha test cuts (GL_GREATER 0.1).
constexpr double ALPHA_CUTOFF = 0.1;

bool FitsBudget(const COGLSprite& sprite) {
    if (sprite.frames.size() > MAX_SPRITE_NUMBERS / NUMBERS_PER_FRAME) {
        return false;
    }
    std::set<const COGLTexture2D*> seen;
    size_t pixels = 0;
    for (const COGLTexture2D* frame : sprite.frames) {
        if (frame != nullptr && frame->HasPicture() && seen.insert(frame).second) {
            pixels += frame->image->pixels.size() / 4;
        }
    }
    return pixels <= MAX_SPRITE_PIXELS;
}

// The quad every frame shares, as the viewer draws it: half-sizes scale x
// and y, the picture upright (the PNG's rows start at its top), wound
// counter-clockwise towards +z.
tinygltf::Primitive QuadPrimitive(CGltfBuilder& builder, const COGLSprite& sprite) {
    const float sx = sprite.scale.x;
    const float sy = sprite.scale.y;
    tinygltf::Primitive quad;
    quad.mode = TINYGLTF_MODE_TRIANGLES;
    quad.attributes["POSITION"] = builder.AddFloats({ sx, sy, 0, -sx, sy, 0, -sx, -sy, 0, sx, -sy, 0 }, 3,
                                                    TINYGLTF_TARGET_ARRAY_BUFFER, true);
    quad.attributes["NORMAL"] =
        builder.AddFloats({ 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1 }, 3, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    quad.attributes["TEXCOORD_0"] =
        builder.AddFloats({ 1, 0, 0, 0, 0, 1, 1, 1 }, 2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    quad.indices = builder.AddIndices({ 0, 1, 2, 0, 2, 3 });
    return quad;
}

// The blending the viewer gives a frame of this sprite (COGLSprite's
// BlendBits): blended, alpha-tested at 0.1, or opaque; additive blending,
// which glTF lacks, is blended and said in extras.
void SetRenderMode(tinygltf::Material& material, const COGLSprite& sprite, const COGLImage* picture) {
    const COGLSprite::Blending blending = sprite.FrameBlending(picture);
    const bool blends = blending.blends;
    // An alpha test of a picture without alpha passes every texel.
    const bool alphaTest = blending.alphaTest && picture != nullptr && picture->transparent;
    if (blending.additive) {
        material.extras = tinygltf::Value(tinygltf::Value::Object { { "blend", tinygltf::Value(std::string("additive")) } });
    }
    if (blends) {
        material.alphaMode = "BLEND";
    } else if (alphaTest) {
        material.alphaMode = "MASK";
        material.alphaCutoff = ALPHA_CUTOFF;
    }
}

// A material wearing the frame's picture; false when the picture has no
// pixels to write.
bool AddFrameMaterial(CGltfBuilder& builder, const COGLSprite& sprite, const COGLTexture2D& frame) {
    tinygltf::Material material;
    material.name = frame.Title();
    material.doubleSided = true;
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 1.0;
    const int texture = frame.HasPicture() ? builder.AddTexture(*frame.image, frame.Title()) : -1;
    if (texture >= 0) {
        material.pbrMetallicRoughness.baseColorTexture.index = texture;
    }
    SetRenderMode(material, sprite, frame.image.get());
    // Decal and replace show the frame's colours as they are, unlit.
    if (sprite.textureMode != GL_MODULATE_MODE) {
        material.extensions["KHR_materials_unlit"] = tinygltf::Value(tinygltf::Value::Object());
        builder.UseExtension("KHR_materials_unlit");
    }
    builder.gltf.materials.push_back(material);
    return texture >= 0;
}

// The tick on which the viewer first shows frame i (its position, frameStep
// a tick, reaches i).
double TickOfFrame(size_t i, double step) {
    return std::ceil(static_cast<double>(i) / step);
}

// Whether the viewer animates the sprite and its times fit glTF's floats.
bool Animates(const COGLSprite& sprite) {
    const double step = sprite.frameStep;
    return sprite.frames.size() > 1 && step > 0.0 &&
           TickOfFrame(sprite.frames.size(), step) * TICK_SECONDS < std::numeric_limits<float>::max();
}

// Each frame's node shown (scale 1) from the tick it is reached to the
// tick the next is, hidden (scale 0) otherwise; back to the first frame
// after the last. A frame the step jumps over is never shown.
void AddFrameAnimation(CGltfBuilder& builder, const COGLSprite& sprite, const std::vector<int>& nodes) {
    const double step = sprite.frameStep;
    tinygltf::Animation animation;
    animation.name = SPRITE_ANIMATION;
    for (size_t i = 0; i < nodes.size(); i++) {
        const auto start = static_cast<float>(TickOfFrame(i, step) * TICK_SECONDS);
        const auto end = static_cast<float>(TickOfFrame(i + 1, step) * TICK_SECONDS);
        if (!(start < end)) {
            continue;
        }
        std::vector<float> times = { 0.0f, start, end };
        std::vector<float> scales = { 0, 0, 0, 1, 1, 1, 0, 0, 0 };
        if (i == 0) {
            times.erase(times.begin());
            scales.erase(scales.begin(), scales.begin() + 3);
        }
        tinygltf::AnimationSampler sampler;
        sampler.input = builder.AddFloats(times, 1, 0, true);
        sampler.output = builder.AddFloats(scales, 3, 0, false);
        sampler.interpolation = "STEP";
        tinygltf::AnimationChannel channel;
        channel.sampler = static_cast<int>(animation.samplers.size());
        channel.target_node = nodes[i];
        channel.target_path = "scale";
        animation.samplers.push_back(sampler);
        animation.channels.push_back(channel);
    }
    builder.gltf.animations.push_back(animation);
}

}  // namespace

int AddSprite(CGltfBuilder& builder, const COGLSprite& sprite, const std::string& animation, ExportNotes& notes) {
    if (sprite.frames.empty()) {
        notes.refusal = "has no frames";
        return -1;
    }
    if (!FitsBudget(sprite)) {
        notes.refusal = "has more frames than an export can hold";
        return -1;
    }
    const bool animates = Animates(sprite);
    if (!animation.empty() && (animation != SPRITE_ANIMATION || !animates)) {
        notes.refusal = "has no animation " + animation;
        return -1;
    }
    tinygltf::Model& gltf = builder.gltf;
    const tinygltf::Primitive quad = QuadPrimitive(builder, sprite);
    // Frames naming one picture share its mesh.
    std::map<const COGLTexture2D*, int> meshOf;
    size_t plain = 0;
    const auto shown = static_cast<size_t>(std::clamp(sprite.CurrentFrame(), 0, sprite.frameCount - 1));
    std::vector<int> nodes;
    for (size_t i = 0; i < sprite.frames.size(); i++) {
        const COGLTexture2D* frame = sprite.frames[i];
        auto [mesh, added] = meshOf.emplace(frame, static_cast<int>(gltf.meshes.size()));
        if (added) {
            plain += AddFrameMaterial(builder, sprite, *frame) ? 0 : 1;
            tinygltf::Mesh frameMesh;
            frameMesh.name = frame->Title();
            frameMesh.primitives = { quad };
            frameMesh.primitives[0].material = static_cast<int>(gltf.materials.size()) - 1;
            gltf.meshes.push_back(frameMesh);
        }
        tinygltf::Node node;
        node.name = sprite.frameInfo.size() > i ? sprite.frameInfo[i].title : frame->Title();
        node.mesh = mesh->second;
        if (i != shown) {
            node.scale = { 0.0, 0.0, 0.0 };
        }
        nodes.push_back(builder.AddNode(node));
    }
    if (plain > 0) {
        notes.leftOut.push_back(std::to_string(plain) + " frame pictures have no pixels to export and are left plain");
    }
    if (animates) {
        AddFrameAnimation(builder, sprite, nodes);
    }
    tinygltf::Node root;
    root.name = sprite.name;
    root.children = nodes;
    if (sprite.roll != 0.0f) {
        const double half = sprite.roll * 0.00872664625997;   // degrees to radians, halved
        root.rotation = { 0.0, 0.0, std::sin(half), std::cos(half) };
    }
    // The viewer turns the quad to face the camera wherever it is looked at from.
    root.extras = tinygltf::Value(tinygltf::Value::Object { { "facesViewer", tinygltf::Value(true) } });
    return builder.AddNode(root);
}
