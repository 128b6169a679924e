#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tools/TinyGltf.h"

class COGLImage;

// One glTF document as it is made: the tinygltf model over a single buffer,
// and the pictures as PNG, which go into that buffer in a .glb and into
// files beside a .gltf. Every export (models, sprites, scenes) adds to one.
class CGltfBuilder {
public:
    CGltfBuilder();

    // Bytes appended to the buffer, 4-byte aligned, as a view of their own.
    int AddView(const void* data, size_t size, int target);
    // count elements of type (TINYGLTF_TYPE_*) of componentType laid out
    // tightly in data, as an accessor over a view of their own.
    int AddAccessor(const void* data, size_t count, int componentType, int type, int target);
    // Floats of `components` each (1, 2, 3, 4 or 16), with their bounds when
    // asked (positions and animation times must carry them).
    int AddFloats(const std::vector<float>& values, int components, int target, bool bounds);
    // Triangle indices.
    int AddIndices(const std::vector<uint32_t>& indices);
    // The picture as a PNG texture, mipmapped and repeating as the viewer
    // uploads pictures; its alpha kept when it has any. -1 when it has no
    // pixels or cannot be encoded. A picture added again is the same texture.
    int AddTexture(const COGLImage& image, const std::string& name);
    int AddNode(const tinygltf::Node& node);
    // What a part made for data that many objects show (a model file's
    // mesh, materials and animation keys) is, so that copies share it:
    // the data, what was made of it, two numbers and a value that tell it
    // apart.
    using ShareKey = std::tuple<const void*, int, int64_t, int64_t, double>;
    // The index made for key, or -1.
    int  Shared(const ShareKey& key) const;
    void Share(const ShareKey& key, int index);

    // Lists an extension the document uses, once.
    void UseExtension(const std::string& name);
    // A material variant of the document (KHR_materials_variants), one a
    // name.
    int AddVariant(const std::string& name);
    // The document's one scene, of these root nodes.
    void SetRoots(const std::vector<int>& roots);

    // OUT.glb holds everything; OUT.gltf names OUT.bin and OUT_N.png beside
    // it. Each file is complete or not written. False, with the reason in
    // error, when a file cannot be written.
    bool Write(const std::filesystem::path& output, std::string& error);

    tinygltf::Model gltf;

private:
    // The PNG of each image, in the images' order.
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<std::string> variants;
    std::map<ShareKey, int> shared;
    std::map<const COGLImage*, int> textures;
    int sampler = -1;
};
