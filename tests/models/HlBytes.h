#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/LittleEndian.h"
#include "support/Bytes.h"
#include "support/RealFiles.h"

// Half-Life model files for reader tests, laid out field by field: the
// 244-byte header, then one bone, the controllers, the sequences with their
// channel blocks (constant unless xRuns say), the groups, the textures, the skin table and one
// body part whose sub-model has a single strip over three vertices.
struct HlLayout {
    struct Controller {
        int32_t type;
        float start, end;
        int32_t slot;
    };
    struct Sequence {
        std::string label;
        int32_t frames = 1;
        int32_t group = 0;
        int32_t blends = 1;
    };
    struct Texture {
        std::string name;
        int32_t width = 2, height = 2;
        uint8_t index = 0;       // every texel
        uint8_t rgb[3] = { 0, 0, 0 };   // palette colour of that index
        int32_t flags = 0;
    };

    std::string magic = "IDST";
    int32_t version = 10;
    std::vector<Controller> controllers;
    std::vector<Sequence> sequences = { { "idle", 1, 0, 1 } };
    int32_t groupCount = 1;
    std::vector<Texture> textures = { { "skin.bmp" } };
    // Runs of the bone's x channel in every sequence of this file: headers
    // (valid, total) each followed by valid 16-bit values; none when empty.
    std::vector<uint8_t> xRuns;
    // The strip's three vertices, file (x, y, z) each.
    float points[9] = { 0, 0, 0, 10, 0, 0, 0, 10, 0 };

    static constexpr size_t HEADER = 244;

    std::vector<uint8_t> Write() const {
        Bytes b;
        b.Text(magic).I32(version).Fill(HEADER - 8);
        // Bone: name, parent -1, flags, no controllers (six -1), values 0, scales 1.
        b.PutU32(140, 1).PutU32(144, uint32_t(b.Size()));
        b.Field("root", 32).I32(-1).I32(0).Fill(24, 0xff).Fill(24);
        b.F32(1).F32(1).F32(1).F32(1).F32(1).F32(1);
        b.PutU32(148, uint32_t(controllers.size())).PutU32(152, uint32_t(b.Size()));
        for (const Controller& c : controllers) {
            b.I32(0).I32(c.type).F32(c.start).F32(c.end).I32(0).I32(c.slot);
        }
        // Channel blocks of every sequence in this file: all constant.
        std::vector<size_t> animation;
        for (const Sequence& s : sequences) {
            animation.push_back(b.Size());
            if (s.group == 0) {
                b.Fill(12 * size_t(s.blends));
                if (!xRuns.empty()) {
                    b.bytes[animation.back()] = uint8_t(12 * s.blends);
                    b.Raw(xRuns.data(), xRuns.size());
                }
            }
        }
        b.PutU32(164, uint32_t(sequences.size())).PutU32(168, uint32_t(b.Size()));
        for (size_t i = 0; i < sequences.size(); i++) {
            const Sequence& s = sequences[i];
            const size_t start = b.Size();
            b.Field(s.label.c_str(), 32).Fill(SEQUENCE - 32);
            b.PutU32(start + 56, uint32_t(s.frames)).PutU32(start + 120, uint32_t(s.blends));
            b.PutU32(start + 124, uint32_t(s.group == 0 ? animation[i] : GROUP_HEADER));
            b.PutU32(start + 156, uint32_t(s.group));
            // Box from (-1, -2, -3) to (4, 5, 6).
            b.PutF32(start + 96, -1).PutF32(start + 100, -2).PutF32(start + 104, -3);
            b.PutF32(start + 108, 4).PutF32(start + 112, 5).PutF32(start + 116, 6);
        }
        b.PutU32(172, uint32_t(groupCount)).PutU32(176, uint32_t(b.Size()));
        for (int32_t i = 0; i < groupCount; i++) {
            b.Field("group", 32).Fill(64).I32(0).I32(0);
        }
        b.PutU32(180, uint32_t(textures.size())).PutU32(184, uint32_t(b.Size()));
        const size_t records = b.Size();
        for (const Texture& t : textures) {
            b.Field(t.name.c_str(), 64).I32(t.flags).I32(t.width).I32(t.height).I32(0);
        }
        // Each texture's indices, then its palette: black but for its one index.
        for (size_t i = 0; i < textures.size(); i++) {
            const Texture& t = textures[i];
            b.PutU32(records + 80 * i + 76, uint32_t(b.Size()));
            b.Fill(size_t(t.width) * size_t(t.height), t.index);
            b.Fill(3 * size_t(t.index)).U8(t.rgb[0]).U8(t.rgb[1]).U8(t.rgb[2]).Fill(3 * (255 - size_t(t.index)));
        }
        b.PutU32(192, uint32_t(textures.size())).PutU32(196, textures.empty() ? 0 : 1).PutU32(200, uint32_t(b.Size()));
        for (size_t i = 0; i < textures.size(); i++) {
            b.U16(uint16_t(i));
        }
        // Body part, sub-model, mesh, vertex bones, vertices, normals, strip.
        b.PutU32(204, 1).PutU32(208, uint32_t(b.Size()));
        const size_t part = b.Size();
        b.Field("body", 64).I32(1).I32(1).I32(uint32_t(part + 76));
        const size_t subModel = b.Size();
        b.Field("studio", 64).Fill(SUB_MODEL - 64);
        const size_t mesh = b.Size();
        b.I32(1).I32(0).I32(0).I32(textures.empty() ? 0 : 3).I32(0);
        const size_t bones = b.Size();
        b.Fill(3);
        const size_t vertices = b.Size();
        for (float p : points) {
            b.F32(p);
        }
        const size_t normals = b.Size();
        b.F32(0).F32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).F32(1);
        // A strip of three (vertex, normal, s, t each), then the end.
        const size_t commands = b.Size();
        b.U16(3).U16(0).U16(0).U16(0).U16(0).U16(1).U16(1).U16(0).U16(0).U16(2).U16(2).U16(0).U16(0).U16(0);
        b.PutU32(mesh + 4, uint32_t(commands));
        b.PutU32(subModel + 72, textures.empty() ? 0 : 1).PutU32(subModel + 76, uint32_t(mesh));
        b.PutU32(subModel + 80, 3).PutU32(subModel + 84, uint32_t(bones)).PutU32(subModel + 88, uint32_t(vertices));
        b.PutU32(subModel + 92, 3).PutU32(subModel + 96, uint32_t(bones)).PutU32(subModel + 100, uint32_t(normals));
        return b.bytes;
    }

    // A sequence-group file holding one constant channel block at its offset.
    static std::vector<uint8_t> GroupFile() {
        Bytes b;
        b.Text("IDSQ").I32(10).Field("group", 64).I32(0).Fill(12);
        return b.bytes;
    }

    static constexpr size_t SEQUENCE = 176;
    static constexpr size_t SUB_MODEL = 112;
    static constexpr size_t GROUP_HEADER = 76;
};

inline std::string HlText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The real models of the test data: "IDST" files with sequences (texture
// files have none).
inline std::vector<std::filesystem::path> RealHlModels() {
    std::vector<std::filesystem::path> found = TestDataFiles("hlmdl", ".mdl");
    std::erase_if(found, [](const std::filesystem::path& path) {
        const std::vector<uint8_t> file = FileBytes(path);
        return file.size() < 244 || std::memcmp(file.data(), "IDST", 4) != 0 || Int32At(file.data() + 164) <= 0;
    });
    return found;
}

// Hostile files: the default layout with one count made large over data
// that lies in the file once, a few hundred KB to a few MB each.
namespace hl_hostile {

inline int32_t ValueAt(const Bytes& b, size_t at) {
    return Int32At(b.bytes.data() + at);
}

// The first sub-model holds meshes meshes, all drawing one strip of corners.
inline std::vector<uint8_t> MeshesSharingAStrip(int32_t meshes, int32_t corners) {
    Bytes b{ HlLayout().Write() };
    const size_t subModel = size_t(ValueAt(b, size_t(ValueAt(b, 208)) + 72));
    const size_t strip = b.Size();
    b.U16(uint16_t(corners));
    for (int32_t i = 0; i < corners; i++) {
        b.U16(uint16_t(i % 3)).U16(uint16_t(i % 3)).U16(0).U16(0);
    }
    b.U16(0);
    const size_t table = b.Size();
    for (int32_t m = 0; m < meshes; m++) {
        b.I32(1).I32(int32_t(strip)).I32(0).I32(m == 0 ? 3 : 0).I32(0);
    }
    b.PutU32(subModel + 72, uint32_t(meshes)).PutU32(subModel + 76, uint32_t(table));
    return b.bytes;
}

// sequences sequences in four blends over one channel block each, every
// channel pointing at the same runs of 255 frames, as many frames as they
// cover.
inline std::vector<uint8_t> SequencesSharingRuns(int32_t sequences, size_t runs) {
    Bytes b{ HlLayout().Write() };
    const size_t first = size_t(ValueAt(b, 168));
    const std::vector<uint8_t> record(b.bytes.begin() + std::ptrdiff_t(first),
                                      b.bytes.begin() + std::ptrdiff_t(first + HlLayout::SEQUENCE));
    const size_t blocks = b.Size();
    for (int block = 0; block < 4; block++) {
        for (int channel = 0; channel < 6; channel++) {
            b.U16(uint16_t(4 * 12 - 12 * block));
        }
    }
    for (size_t i = 0; i < runs; i++) {
        b.U8(0).U8(255);
    }
    const size_t table = b.Size();
    for (int32_t i = 0; i < sequences; i++) {
        const size_t at = b.Size();
        b.Raw(record.data(), record.size());
        b.PutU32(at + 56, uint32_t(255 * runs)).PutU32(at + 120, 4).PutU32(at + 124, uint32_t(blocks));
    }
    b.PutU32(164, uint32_t(sequences)).PutU32(168, uint32_t(table));
    return b.bytes;
}

// records texture records, all side x side over one block of indices.
inline std::vector<uint8_t> TexturesSharingABlock(int32_t records, int32_t side) {
    Bytes b{ HlLayout().Write() };
    const size_t block = b.Size();
    b.Fill(size_t(side) * size_t(side) + 768, 1);
    const size_t table = b.Size();
    for (int32_t i = 0; i < records; i++) {
        b.Field("shared", 64).I32(0).I32(side).I32(side).I32(int32_t(block));
    }
    b.PutU32(180, uint32_t(records)).PutU32(184, uint32_t(table));
    return b.bytes;
}

// parts body parts, each choosing among the same subModels sub-models.
inline std::vector<uint8_t> BodyPartsSharingSubModels(int32_t parts, int32_t subModels) {
    Bytes b{ HlLayout().Write() };
    const size_t first = size_t(ValueAt(b, size_t(ValueAt(b, 208)) + 72));
    const std::vector<uint8_t> record(b.bytes.begin() + std::ptrdiff_t(first),
                                      b.bytes.begin() + std::ptrdiff_t(first + HlLayout::SUB_MODEL));
    const size_t table = b.Size();
    for (int32_t i = 0; i < subModels; i++) {
        b.Raw(record.data(), record.size());
    }
    const size_t partTable = b.Size();
    for (int32_t i = 0; i < parts; i++) {
        b.Field("body", 64).I32(subModels).I32(1).I32(int32_t(table));
    }
    b.PutU32(204, uint32_t(parts)).PutU32(208, uint32_t(partTable));
    return b.bytes;
}

}  // namespace hl_hostile
