#include "tools/CGltfBuilder.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include <nlohmann/json.hpp>

#include "image/COGLImage.h"
#include "image/PngWriter.h"
#include "platform/COutputFile.h"
#include "platform/Cp1252.h"

namespace {

int TypeOfComponents(int components) {
    switch (components) {
    case 1: return TINYGLTF_TYPE_SCALAR;
    case 2: return TINYGLTF_TYPE_VEC2;
    case 3: return TINYGLTF_TYPE_VEC3;
    case 4: return TINYGLTF_TYPE_VEC4;
    default: return TINYGLTF_TYPE_MAT4;
    }
}

bool WriteBytes(const std::filesystem::path& path, const void* bytes, size_t size, std::string& error) {
    COutputFile file;
    if (file.Create(path.string()) && std::fwrite(bytes, 1, size, file.Stream()) == size && file.Commit()) {
        return true;
    }
    error = "cannot write " + path.string() + ": " + file.GetError();
    return false;
}

// The picture's rows as PNG; a picture whose alpha says nothing is written
// without it.
std::vector<uint8_t> PictureAsPng(const COGLImage& image) {
    std::vector<uint8_t> png;
    const int channels = image.transparent ? 4 : 3;
    PngRows rows;
    rows.pixels = image.pixels.data();
    rows.width = image.width;
    rows.height = image.height;
    rows.stride = static_cast<size_t>(image.width) * static_cast<size_t>(channels);
    rows.hasFourthByte = channels == 4;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < rows.stride * static_cast<size_t>(image.height)) {
        return png;
    }
    for (size_t i = 3; rows.hasFourthByte && i < image.pixels.size() && !rows.keepAlpha; i += 4) {
        rows.keepAlpha = image.pixels[i] != 255;
    }
    if (!EncodePng(rows, png)) {
        png.clear();
    }
    return png;
}

template <typename Named>
void NamesToUtf8(std::vector<Named>& objects) {
    for (Named& object : objects) {
        object.name = RecordTextToUtf8(object.name);
    }
}

// Names come from the files (frames, skins, objects), in Windows-1252 or
// any bytes at all; the JSON writer throws on what is not UTF-8.
void AllNamesToUtf8(tinygltf::Model& gltf) {
    NamesToUtf8(gltf.nodes);
    NamesToUtf8(gltf.meshes);
    NamesToUtf8(gltf.materials);
    NamesToUtf8(gltf.animations);
    NamesToUtf8(gltf.images);
    NamesToUtf8(gltf.textures);
    NamesToUtf8(gltf.skins);
    NamesToUtf8(gltf.cameras);
    NamesToUtf8(gltf.lights);
    NamesToUtf8(gltf.scenes);
}

}  // namespace

CGltfBuilder::CGltfBuilder() {
    gltf.asset.version = "2.0";
    gltf.asset.generator = "tvntool";
    gltf.buffers.emplace_back();
}

int CGltfBuilder::AddView(const void* data, size_t size, int target) {
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

int CGltfBuilder::AddAccessor(const void* data, size_t count, int componentType, int type, int target) {
    const size_t size = count * static_cast<size_t>(tinygltf::GetComponentSizeInBytes(componentType)) *
                        static_cast<size_t>(tinygltf::GetNumComponentsInType(type));
    tinygltf::Accessor accessor;
    accessor.bufferView = AddView(data, size, target);
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = count;
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size()) - 1;
}

int CGltfBuilder::AddFloats(const std::vector<float>& values, int components, int target, bool bounds) {
    const int index = AddAccessor(values.data(), values.size() / static_cast<size_t>(components),
                                  TINYGLTF_COMPONENT_TYPE_FLOAT, TypeOfComponents(components), target);
    if (bounds && !values.empty()) {
        tinygltf::Accessor& accessor = gltf.accessors.back();
        accessor.minValues.assign(values.begin(), values.begin() + components);
        accessor.maxValues = accessor.minValues;
        for (size_t i = 0; i < values.size(); i++) {
            const size_t c = i % static_cast<size_t>(components);
            accessor.minValues[c] = std::min<double>(accessor.minValues[c], values[i]);
            accessor.maxValues[c] = std::max<double>(accessor.maxValues[c], values[i]);
        }
    }
    return index;
}

int CGltfBuilder::AddIndices(const std::vector<uint32_t>& indices) {
    return AddAccessor(indices.data(), indices.size(), TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                       TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
}

int CGltfBuilder::AddTexture(const COGLImage& image, const std::string& name) {
    if (const auto added = textures.find(&image); added != textures.end()) {
        return added->second;
    }
    std::vector<uint8_t> png = PictureAsPng(image);
    if (png.empty()) {
        textures[&image] = -1;
        return -1;
    }
    if (sampler < 0) {
        tinygltf::Sampler mipmapped;
        mipmapped.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        mipmapped.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
        gltf.samplers.push_back(mipmapped);
        sampler = static_cast<int>(gltf.samplers.size()) - 1;
    }
    tinygltf::Image picture;
    picture.name = name;
    picture.mimeType = "image/png";
    gltf.images.push_back(picture);
    pictures.push_back(std::move(png));
    tinygltf::Texture texture;
    texture.source = static_cast<int>(gltf.images.size()) - 1;
    texture.sampler = sampler;
    gltf.textures.push_back(texture);
    textures[&image] = static_cast<int>(gltf.textures.size()) - 1;
    return textures[&image];
}

int CGltfBuilder::AddNode(const tinygltf::Node& node) {
    gltf.nodes.push_back(node);
    return static_cast<int>(gltf.nodes.size()) - 1;
}

void CGltfBuilder::UseExtension(const std::string& name) {
    std::vector<std::string>& used = gltf.extensionsUsed;
    if (std::find(used.begin(), used.end(), name) == used.end()) {
        used.push_back(name);
    }
}

int CGltfBuilder::Shared(const ShareKey& key) const {
    const auto made = shared.find(key);
    return made != shared.end() ? made->second : -1;
}

void CGltfBuilder::Share(const ShareKey& key, int index) {
    shared[key] = index;
}

int CGltfBuilder::AddVariant(const std::string& name) {
    if (const auto named = std::find(variants.begin(), variants.end(), name); named != variants.end()) {
        return static_cast<int>(named - variants.begin());
    }
    variants.push_back(name);
    return static_cast<int>(variants.size()) - 1;
}

void CGltfBuilder::SetRoots(const std::vector<int>& roots) {
    tinygltf::Scene scene;
    scene.nodes = roots;
    gltf.scenes = { scene };
    gltf.defaultScene = 0;
}

bool CGltfBuilder::Write(const std::filesystem::path& output, std::string& error) {
    tinygltf::TinyGLTF writer;
    std::ostringstream text;
    if (!variants.empty()) {
        tinygltf::Value::Array list;
        for (const std::string& name : variants) {
            list.emplace_back(tinygltf::Value::Object { { "name", tinygltf::Value(RecordTextToUtf8(name)) } });
        }
        gltf.extensions["KHR_materials_variants"] =
            tinygltf::Value(tinygltf::Value::Object { { "variants", tinygltf::Value(list) } });
        UseExtension("KHR_materials_variants");
    }
    AllNamesToUtf8(gltf);
    if (gltf.buffers[0].data.empty() && pictures.empty()) {
        // Nodes alone (a model without triangles, an empty scene): a buffer
        // must not be empty.
        gltf.buffers.clear();
    }
    if (output.extension() == ".glb") {
        for (size_t i = 0; i < pictures.size(); i++) {
            gltf.images[i].bufferView = AddView(pictures[i].data(), pictures[i].size(), 0);
        }
        writer.WriteGltfSceneToStream(&gltf, text, false, true);
        const std::string bytes = text.str();
        return WriteBytes(output, bytes.data(), bytes.size(), error);
    }
    const std::filesystem::path folder = output.parent_path();
    const std::string stem = output.stem().string();
    for (size_t i = 0; i < pictures.size(); i++) {
        gltf.images[i].uri = stem + "_" + std::to_string(i) + ".png";
        if (!WriteBytes(folder / gltf.images[i].uri, pictures[i].data(), pictures[i].size(), error)) {
            return false;
        }
    }
    // tinygltf keeps a text file's buffer inside it as base64; it goes beside it instead.
    writer.WriteGltfSceneToStream(&gltf, text, true, false);
    nlohmann::ordered_json json = nlohmann::ordered_json::parse(text.str());
    if (!gltf.buffers.empty()) {
        const std::string bufferName = stem + ".bin";
        const std::vector<unsigned char>& buffer = gltf.buffers[0].data;
        json["buffers"][0] = { { "byteLength", buffer.size() }, { "uri", bufferName } };
        if (!WriteBytes(folder / bufferName, buffer.data(), buffer.size(), error)) {
            return false;
        }
    }
    const std::string document = json.dump(2) + "\n";
    return WriteBytes(output, document.data(), document.size(), error);
}
