#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/Bytes.h"
#include "support/GameFiles.h"

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
    int32_t version = 8;
    std::string magic = "IDP2";

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
        b.Text(magic).I32(version).I32(2).I32(2);
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
