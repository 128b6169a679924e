#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/Bytes.h"
#include "support/GameFiles.h"

// MDL files for reader tests, laid out field by field: the 84-byte header,
// the skins, the texture points, the triangles and the frames.
struct MdlVertex {
    uint8_t x, y, z, normal;
};

struct MdlFrame {
    std::string name;
    std::vector<MdlVertex> vertices;
};

struct MdlLayout {
    struct Point {
        int32_t onSeam, s, t;
    };
    struct Triangle {
        int32_t facesFront, a, b, c;
    };
    // A single frame, or a group of frames.
    struct Entry {
        bool group;
        std::vector<MdlFrame> frames;
    };

    float origin[3] = { 0.0f, 0.0f, 0.0f };
    float eye[3] = { 0.0f, 0.0f, 0.0f };
    int32_t skinWidth = 2;
    int32_t skinHeight = 2;
    std::vector<std::vector<uint8_t>> skins;   // skinWidth x skinHeight indices each
    std::vector<Point> points;                  // one per vertex
    std::vector<Triangle> triangles;
    std::vector<Entry> entries;

    MdlLayout& Single(MdlFrame frame) {
        entries.push_back({ false, { std::move(frame) } });
        return *this;
    }
    MdlLayout& Group(std::vector<MdlFrame> frames) {
        entries.push_back({ true, std::move(frames) });
        return *this;
    }

    Bytes Write() const {
        Bytes b;
        b.Text("IDPO").I32(6).F32(1.0f).F32(1.0f).F32(1.0f);  // scale 1
        for (float o : origin) b.F32(o);
        b.F32(10.0f);  // bounding radius
        for (float e : eye) b.F32(e);
        b.I32(static_cast<int32_t>(skins.size())).I32(skinWidth).I32(skinHeight);
        b.I32(static_cast<int32_t>(points.size())).I32(static_cast<int32_t>(triangles.size()));
        b.I32(static_cast<int32_t>(entries.size())).I32(0).I32(0).I32(0);
        for (const std::vector<uint8_t>& skin : skins) {
            b.I32(0).Raw(skin.data(), skin.size());
        }
        for (const Point& p : points) b.I32(p.onSeam).I32(p.s).I32(p.t);
        for (const Triangle& t : triangles) b.I32(t.facesFront).I32(t.a).I32(t.b).I32(t.c);
        for (const Entry& entry : entries) {
            if (entry.group) {
                b.I32(1).I32(static_cast<int32_t>(entry.frames.size())).U32(0).U32(0);
                for (size_t i = 0; i < entry.frames.size(); i++) b.F32(0.1f * static_cast<float>(i + 1));
            } else {
                b.I32(0);
            }
            for (const MdlFrame& frame : entry.frames) {
                b.U32(0).U32(0xffffffff).Field(frame.name.c_str(), 16);
                for (const MdlVertex& v : frame.vertices) b.U8(v.x).U8(v.y).U8(v.z).U8(v.normal);
            }
        }
        return b;
    }
};

// Header field offsets, for tests that forge one.
enum MdlHeaderOffset {
    MDL_SKIN_COUNT = 48,
    MDL_SKIN_WIDTH = 52,
    MDL_SKIN_HEIGHT = 56,
    MDL_VERTEX_COUNT = 60,
    MDL_TRIANGLE_COUNT = 64,
    MDL_FRAME_COUNT = 68,
};

// One triangle over three vertices, in frames with the given names (single
// frames), and as many skins of one index as asked.
inline MdlLayout MdlTriangle(const std::vector<std::string>& frameNames, int skinCount = 0) {
    MdlLayout layout;
    layout.points = { { 0, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } };
    layout.triangles = { { 1, 0, 1, 2 } };
    for (const std::string& frameName : frameNames) {
        layout.Single({ frameName, { { 0, 0, 0, 5 }, { 0, 10, 0, 5 }, { 0, 0, 10, 5 } } });
    }
    for (int i = 0; i < skinCount; i++) {
        layout.skins.push_back(std::vector<uint8_t>(4, static_cast<uint8_t>(i)));
    }
    return layout;
}
