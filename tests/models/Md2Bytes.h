#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/Bytes.h"
#include "support/GameFiles.h"
#include "support/RecordBytes.h"

// MD2 files for reader tests, laid out field by field: the 68-byte header,
// then the skin names, the frames and the command list.
struct Md2Vertex {
    uint8_t x, y, z, normal;
};

struct Md2Frame {
    std::string name;
    float scale[3] = { 1.0f, 1.0f, 1.0f };
    float translate[3] = { 0.0f, 0.0f, 0.0f };
    std::vector<Md2Vertex> vertices;
};

struct Md2Layout {
    std::vector<std::string> skins;
    std::vector<Md2Frame> frames;
    Bytes commands;   // words as written; see Run and Vertex

    // The start of a run: n > 0 a strip of n vertices, n < 0 a fan of -n.
    Md2Layout& Run(int32_t count) {
        commands.I32(count);
        return *this;
    }
    Md2Layout& Vertex(float s, float t, int32_t index) {
        commands.F32(s).F32(t).I32(index);
        return *this;
    }
    Md2Layout& End() {
        commands.I32(0);
        return *this;
    }

    int32_t FrameSize() const {
        return 40 + 4 * static_cast<int32_t>(frames.empty() ? 0 : frames[0].vertices.size());
    }

    Bytes Write() const {
        const int32_t skinOffset = 68;
        const int32_t frameOffset = skinOffset + 64 * static_cast<int32_t>(skins.size());
        const int32_t commandOffset = frameOffset + FrameSize() * static_cast<int32_t>(frames.size());
        const int32_t end = commandOffset + static_cast<int32_t>(commands.Size());
        Bytes b;
        b.Text("IDP2").I32(8).I32(2).I32(2);
        b.I32(FrameSize()).I32(static_cast<int32_t>(skins.size()));
        b.I32((FrameSize() - 40) / 4).I32(0).I32(0);
        b.I32(static_cast<int32_t>(commands.Size() / 4)).I32(static_cast<int32_t>(frames.size()));
        b.I32(skinOffset).I32(end).I32(end).I32(frameOffset).I32(commandOffset).I32(end);
        for (const std::string& skin : skins) {
            b.Field(skin.c_str(), 64);
        }
        for (const Md2Frame& frame : frames) {
            for (float s : frame.scale) b.F32(s);
            for (float t : frame.translate) b.F32(t);
            b.Field(frame.name.c_str(), 16);
            for (const Md2Vertex& v : frame.vertices) b.U8(v.x).U8(v.y).U8(v.z).U8(v.normal);
        }
        b.Raw(commands.bytes.data(), commands.Size());
        return b;
    }
};

// Header field offsets, for tests that forge one.
enum Md2HeaderOffset {
    MD2_FRAME_SIZE = 16,
    MD2_SKIN_COUNT = 20,
    MD2_COMMAND_COUNT = 36,
    MD2_FRAME_COUNT = 40,
    MD2_SKIN_OFFSET = 44,
    MD2_FRAME_OFFSET = 56,
    MD2_COMMAND_OFFSET = 60,
};

// A frame of one named group holding the given vertices.
inline Md2Frame NamedFrame(const std::string& name, std::vector<Md2Vertex> vertices = { { 0, 0, 0, 0 } }) {
    Md2Frame frame;
    frame.name = name;
    frame.vertices = std::move(vertices);
    return frame;
}

// Frames of the given names over one degenerate triangle, naming the skins.
inline Bytes Md2NamedFrames(const std::vector<std::string>& names, const std::vector<std::string>& skins = {}) {
    Md2Layout layout;
    layout.skins = skins;
    for (const std::string& name : names) layout.frames.push_back(NamedFrame(name));
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 0).Vertex(0, 0, 0).End();
    return layout.Write();
}

// A wall in the file's plane x = 0, width units along file y and 40 up
// along file z, drawn at 1/20 scale: 2 world units high, standing on the
// object's origin height because frame 0's z translation becomes yOffset.
inline Md2Frame Wall(const std::string& name, float leftY, uint8_t width, uint8_t normal) {
    Md2Frame frame = NamedFrame(name, { { 0, 0, 0, normal }, { 0, width, 0, normal }, { 0, 0, 40, normal },
                                        { 0, width, 40, normal } });
    frame.translate[1] = leftY;
    frame.translate[2] = -10.0f;
    return frame;
}

struct SkinRecord {
    uint8_t     option;
    std::string path;
};

// The model's rows after the object prefix, in the order they are stored.
struct ModelRecord {
    std::string path;
    int32_t pakIndex = -1;
    int32_t animationIndex = -1;
    float   frameStep = 0.125f;
    float   framePosition = 0.0f;
    int32_t currentFrame = 0;
    int32_t nextFrame = 0;
    float   frameFraction = 0.0f;
    uint8_t loop = 1;
    uint8_t reserved = 0;
    uint8_t interpolate = 1;
    std::vector<SkinRecord> skins;
    int32_t skinIndex = -1;
    uint8_t flipNormals = 0;
    // An MDL's record has no flipNormals row, and its skin count counts the
    // skins its file holds too (written instead of the records' count when set).
    bool    hasFlipNormals = true;
    int32_t skinCount = -1;

    Bytes Write(int version) const {
        Bytes b;
        b.bytes = SampleObjectPrefix();
        b.Field(path.c_str(), 260).I32(pakIndex).I32(animationIndex);
        b.F32(frameStep).F32(framePosition).I32(currentFrame).I32(nextFrame).F32(frameFraction);
        b.U8(loop).U8(reserved);
        if (version >= 6) b.U8(interpolate);
        b.I32(skinCount >= 0 ? skinCount : static_cast<int32_t>(skins.size()));
        for (const SkinRecord& skin : skins) b.U8(skin.option).Field(skin.path.c_str(), 260);
        b.I32(skinIndex);
        if (hasFlipNormals) b.U8(flipNormals);
        return b;
    }
};
