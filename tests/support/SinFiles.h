#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/Bytes.h"

// SiN model files laid out byte by byte: the definition text, the ".sbm"
// mesh and the ".sam" animations.

// "SDEF", then every line ended by CR LF.
inline std::string SinDefinition(const std::vector<std::string>& lines) {
    std::string text = "SDEF\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

struct SinVertex {
    float   s, t;
    int32_t index;
};

// Groups of strip and fan runs; each group's list ends with 0 unless told.
class SinMesh {
public:
    SinMesh& Group(int32_t value = 0) {
        groups.push_back({ value, {} });
        return *this;
    }
    SinMesh& Strip(const std::vector<SinVertex>& vertices) { return Run(static_cast<int32_t>(vertices.size()), vertices); }
    SinMesh& Fan(const std::vector<SinVertex>& vertices) { return Run(-static_cast<int32_t>(vertices.size()), vertices); }
    SinMesh& Word(int32_t word) {
        groups.back().words.I32(word);
        return *this;
    }
    SinMesh& End() { return Word(0); }

    // Header, group headers, then each group's words in order; each command
    // offset counts from its group header.
    Bytes Write() const {
        Bytes b;
        b.Text("SBM ").I32(1).Fill(8).I32(static_cast<int32_t>(groups.size())).Fill(8);
        size_t words = 28 + 24 * groups.size();
        for (size_t g = 0; g < groups.size(); g++) {
            const int32_t count = static_cast<int32_t>(groups[g].words.Size() / 4);
            b.I32(groups[g].value).Fill(4).I32(count).I32(static_cast<int32_t>(words - (28 + 24 * g))).Fill(8);
            words += groups[g].words.Size();
        }
        for (const GroupWords& group : groups) {
            b.Raw(group.words.bytes.data(), group.words.Size());
        }
        return b;
    }

private:
    SinMesh& Run(int32_t count, const std::vector<SinVertex>& vertices) {
        Word(count);
        for (const SinVertex& v : vertices) {
            groups.back().words.F32(v.s).F32(v.t).I32(v.index);
        }
        return *this;
    }

    struct GroupWords {
        int32_t value;
        Bytes   words;
    };
    std::vector<GroupWords> groups;
};

struct SinFrame {
    std::array<float, 3> scale;
    std::array<float, 3> translate;
    std::vector<std::array<uint8_t, 4>> vertices;   // x, y, z, normal index
};

// A square of 40 x 40 file units in the file's y and z, which the default
// half turn and scale show as 2 x 2 world units: world x is file y, world y file z.
inline SinFrame Square(float fileY) {
    return { { 1, 1, 1 }, { 0, fileY, 0 }, { { 0, 0, 0, 0 }, { 0, 40, 0, 0 }, { 0, 0, 40, 0 }, { 0, 40, 40, 0 } } };
}

// Header (the three triples 1..9 at 72), the frame table at 128, then each
// frame's vertices; a frame's offset counts from its own record.
inline Bytes SinAnimationFile(const std::vector<SinFrame>& frames) {
    const int32_t vertexCount = frames.empty() ? 0 : static_cast<int32_t>(frames[0].vertices.size());
    Bytes b;
    b.Text("SAM ").Fill(68);
    for (int i = 1; i <= 9; i++) {
        b.F32(static_cast<float>(i));
    }
    b.Fill(4).I32(vertexCount).I32(static_cast<int32_t>(frames.size())).I32(128).Fill(4);
    const size_t dataStart = 128 + 44 * frames.size();
    for (size_t i = 0; i < frames.size(); i++) {
        b.Fill(16);
        for (float s : frames[i].scale) b.F32(s);
        for (float t : frames[i].translate) b.F32(t);
        b.I32(static_cast<int32_t>(dataStart + 4 * vertexCount * i - (128 + 44 * i)));
    }
    for (const SinFrame& frame : frames) {
        for (const auto& vertex : frame.vertices) {
            b.U8(vertex[0]).U8(vertex[1]).U8(vertex[2]).U8(vertex[3]);
        }
    }
    return b;
}

// An animation of frameCount frames that all point at one block of
// vertexCount vertices (zero bytes: normal index 0).
inline Bytes SinSharedFrames(int32_t vertexCount, int32_t frameCount) {
    Bytes b;
    b.Text("SAM ").Fill(108).I32(vertexCount).I32(frameCount).I32(128).Fill(4);
    const size_t block = 128 + 44 * static_cast<size_t>(frameCount);
    for (int32_t i = 0; i < frameCount; i++) {
        b.Fill(16).F32(1).F32(1).F32(1).Fill(12).I32(static_cast<int32_t>(block - (128 + 44 * static_cast<size_t>(i))));
    }
    return b.Fill(4 * static_cast<size_t>(vertexCount));
}

// A "SPAK" archive (120-byte names) holding the entries (name, data) in order.
inline std::string SpakOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    Bytes data, directory;
    uint32_t offset = 12;
    for (const auto& [name, bytes] : entries) {
        data.Text(bytes);
        directory.Field(name.c_str(), 120).U32(offset).U32(static_cast<uint32_t>(bytes.size()));
        offset += static_cast<uint32_t>(bytes.size());
    }
    Bytes pak;
    pak.Text("SPAK").U32(offset).U32(static_cast<uint32_t>(directory.Size()));
    pak.Raw(data.bytes.data(), data.Size()).Raw(directory.bytes.data(), directory.Size());
    return std::string(pak.bytes.begin(), pak.bytes.end());
}
