// Writes the files the demo scene names, made from nothing but code:
//   floor.pcx  128 x 128 warm tiles with grout lines and a little grain
//   demo.pak   an archive holding models/crystal/tris.md2, a faceted crystal
//              that spins and bobs ("spin", 16 frames) or swells ("pulse",
//              8 frames), and its skin models/crystal/skin.pcx; and a
//              text sprite sprites/glow.txt whose four TGA frames
//              sprites/glow_0.tga .. glow_3.tga pulse beside the crystal
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "math/CVector.h"
#include "models/Md2Normals.h"
#include "platform/RecordIO.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr float PI = 3.14159265f;

// 8-bit, one plane; every pixel a run of one, which is always valid.
Bytes EncodePcx(int width, int height, const std::vector<uint8_t>& pixels, const uint8_t palette[768]) {
    Bytes file(128, 0);
    file[0] = 10;  // maker
    file[1] = 5;   // version
    file[2] = 1;   // run-length
    file[3] = 8;   // bits per pixel
    file[8] = static_cast<uint8_t>(width - 1);
    file[10] = static_cast<uint8_t>(height - 1);
    file[65] = 1;  // planes
    file[66] = static_cast<uint8_t>(width);
    for (uint8_t index : pixels) {
        file.push_back(0xC1);
        file.push_back(index);
    }
    file.push_back(0x0C);
    file.insert(file.end(), palette, palette + 768);
    return file;
}

Bytes FloorTexture() {
    const int side = 128;
    std::vector<uint8_t> pixels;
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            const bool grout = x % 32 < 2 || y % 32 < 2;
            const int tile = (x / 32 + y / 32) % 2;
            const int grain = static_cast<int>(8.0 * std::sin(x * 0.7 + y * 0.3) * std::cos(y * 0.5));
            const int index = grout ? 16 : 64 + tile * 96 + 40 + grain;
            pixels.push_back(static_cast<uint8_t>(index < 0 ? 0 : index > 254 ? 254 : index));
        }
    }
    // A ramp from dark grout through terracotta to sand.
    uint8_t palette[768];
    for (int i = 0; i < 256; i++) {
        const double t = i / 255.0;
        palette[3 * i] = static_cast<uint8_t>(60 + 190 * t);
        palette[3 * i + 1] = static_cast<uint8_t>(40 + 150 * t * t);
        palette[3 * i + 2] = static_cast<uint8_t>(30 + 90 * t * t * t);
    }
    return EncodePcx(side, side, pixels, palette);
}

// The crystal's facets: eight around the top, eight around the bottom.
constexpr int RING = 8;
constexpr int FACETS = 2 * RING;
constexpr int SKIN_SIDE = 64;

// Eight vertical stripes, teal and gold by turns, light at the tips and
// darker towards the girdle, so the spin shows.
Bytes CrystalSkin() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < SKIN_SIDE; y++) {
        const float fromGirdle = std::fabs(y - SKIN_SIDE / 2.0f) / (SKIN_SIDE / 2.0f);
        for (int x = 0; x < SKIN_SIDE; x++) {
            const int hue = (x / (SKIN_SIDE / RING)) % 2;
            const int shade = static_cast<int>(40 + 87 * fromGirdle);
            pixels.push_back(static_cast<uint8_t>(hue * 128 + shade));
        }
    }
    uint8_t palette[768];
    for (int i = 0; i < 128; i++) {
        const float t = i / 127.0f;
        palette[3 * i] = static_cast<uint8_t>(20 + 120 * t);           // teal
        palette[3 * i + 1] = static_cast<uint8_t>(90 + 160 * t);
        palette[3 * i + 2] = static_cast<uint8_t>(100 + 150 * t);
        palette[3 * (128 + i)] = static_cast<uint8_t>(120 + 135 * t);  // gold
        palette[3 * (128 + i) + 1] = static_cast<uint8_t>(80 + 150 * t);
        palette[3 * (128 + i) + 2] = static_cast<uint8_t>(10 + 60 * t);
    }
    return EncodePcx(SKIN_SIDE, SKIN_SIDE, pixels, palette);
}

struct Corner {
    CVector position;  // file axes: z is up
    float   s;
    float   t;
};

// Each facet has its own three vertices so that it is lit flat. Corners run
// clockwise seen from outside, the format's front faces.
std::vector<Corner> CrystalCorners(float turn, float lift, float girth) {
    const float radius = 14.0f * girth, girdle = 26.0f + lift, tip = 44.0f + lift, foot = lift;
    std::vector<Corner> corners;
    for (int i = 0; i < RING; i++) {
        const float a0 = turn + 2.0f * PI * i / RING, a1 = turn + 2.0f * PI * (i + 1) / RING;
        const CVector near(radius * std::cos(a0), radius * std::sin(a0), girdle);
        const CVector far(radius * std::cos(a1), radius * std::sin(a1), girdle);
        const float s0 = (i + 0.1f) / RING, s1 = (i + 0.9f) / RING, middle = (i + 0.5f) / RING;
        corners.push_back({ CVector(0.0f, 0.0f, tip), middle, 0.05f });
        corners.push_back({ far, s1, 0.5f });
        corners.push_back({ near, s0, 0.5f });
        corners.push_back({ CVector(0.0f, 0.0f, foot), middle, 0.95f });
        corners.push_back({ near, s0, 0.5f });
        corners.push_back({ far, s1, 0.5f });
    }
    return corners;
}

uint8_t NearestNormal(const CVector& normal) {
    int best = 0;
    float bestDot = -2.0f;
    for (int k = 0; k < MD2_NORMAL_COUNT; k++) {
        const float dot = normal.x * md2Normals[k][0] + normal.y * md2Normals[k][1] + normal.z * md2Normals[k][2];
        if (dot > bestDot) {
            bestDot = dot;
            best = k;
        }
    }
    return static_cast<uint8_t>(best);
}

void WriteShort(CRecordWriter& out, int value) {
    out.WriteByte(static_cast<uint8_t>(value & 0xFF));
    out.WriteByte(static_cast<uint8_t>((value >> 8) & 0xFF));
}

// One frame: scale and translate chosen so that the bytes span the corners.
void WriteFrame(CRecordWriter& out, const std::string& frameName, const std::vector<Corner>& corners) {
    CVector low = corners[0].position, high = corners[0].position;
    for (const Corner& corner : corners) {
        low = CVector(std::fmin(low.x, corner.position.x), std::fmin(low.y, corner.position.y),
                      std::fmin(low.z, corner.position.z));
        high = CVector(std::fmax(high.x, corner.position.x), std::fmax(high.y, corner.position.y),
                       std::fmax(high.z, corner.position.z));
    }
    const CVector scale((high.x - low.x) / 255.0f, (high.y - low.y) / 255.0f, (high.z - low.z) / 255.0f);
    out.WriteFloat(scale.x);
    out.WriteFloat(scale.y);
    out.WriteFloat(scale.z);
    out.WriteFloat(low.x);
    out.WriteFloat(low.y);
    out.WriteFloat(low.z);
    out.WriteName(frameName, 16);
    for (size_t facet = 0; facet < corners.size() / 3; facet++) {
        const CVector& a = corners[3 * facet].position;
        const CVector& b = corners[3 * facet + 1].position;
        const CVector& c = corners[3 * facet + 2].position;
        // Clockwise corners: (c - a) x (b - a) points out.
        CVector normal = Cross(c - a, b - a);
        normal.Normalize();
        const uint8_t normalIndex = NearestNormal(normal);
        for (size_t k = 0; k < 3; k++) {
            const CVector& p = corners[3 * facet + k].position;
            out.WriteByte(static_cast<uint8_t>(std::lround((p.x - low.x) / scale.x)));
            out.WriteByte(static_cast<uint8_t>(std::lround((p.y - low.y) / scale.y)));
            out.WriteByte(static_cast<uint8_t>(std::lround((p.z - low.z) / scale.z)));
            out.WriteByte(normalIndex);
        }
    }
}

Bytes CrystalModel(const std::string& skinName) {
    struct Pose {
        std::string name;
        std::vector<Corner> corners;
    };
    std::vector<Pose> poses;
    // A quarter turn brings back the same stripes, so the spin loops seamlessly.
    const int spinFrames = 16, pulseFrames = 8;
    for (int k = 0; k < spinFrames; k++) {
        const float phase = 2.0f * PI * k / spinFrames;
        char name[16];
        std::snprintf(name, sizeof name, "spin%02d", k + 1);
        poses.push_back({ name, CrystalCorners(0.5f * PI * k / spinFrames, 3.0f * (1.0f - std::cos(phase)), 1.0f) });
    }
    for (int k = 0; k < pulseFrames; k++) {
        char name[16];
        std::snprintf(name, sizeof name, "pulse%02d", k + 1);
        poses.push_back({ name, CrystalCorners(0.0f, 0.0f, 1.0f + 0.25f * std::sin(PI * k / pulseFrames)) });
    }
    const std::vector<Corner>& model = poses[0].corners;
    const int vertexCount = static_cast<int>(model.size());
    const int frameSize = 40 + 4 * vertexCount;
    const int commandCount = FACETS * (1 + 3 * 3) + 1;  // a strip of three per facet, then 0
    const int headerSize = 68, skinsAt = headerSize, coordinatesAt = skinsAt + 64;
    const int trianglesAt = coordinatesAt + 4 * vertexCount;
    const int framesAt = trianglesAt + 12 * FACETS;
    const int commandsAt = framesAt + frameSize * static_cast<int>(poses.size());
    const int endAt = commandsAt + 4 * commandCount;

    CRecordWriter out;
    for (char c : { 'I', 'D', 'P', '2' }) {
        out.WriteByte(static_cast<uint8_t>(c));
    }
    for (int value : { 8, SKIN_SIDE, SKIN_SIDE, frameSize, 1, vertexCount, vertexCount, FACETS, commandCount,
                       static_cast<int>(poses.size()), skinsAt, coordinatesAt, trianglesAt, framesAt, commandsAt,
                       endAt }) {
        out.WriteInt32(value);
    }
    out.WriteName(skinName, 64);
    for (const Corner& corner : model) {
        WriteShort(out, static_cast<int>(corner.s * SKIN_SIDE));
        WriteShort(out, static_cast<int>(corner.t * SKIN_SIDE));
    }
    for (int facet = 0; facet < FACETS; facet++) {
        for (int pass = 0; pass < 2; pass++) {  // vertex indices, then coordinate indices: the same here
            for (int k = 0; k < 3; k++) {
                WriteShort(out, 3 * facet + k);
            }
        }
    }
    for (const Pose& pose : poses) {
        WriteFrame(out, pose.name, pose.corners);
    }
    for (int facet = 0; facet < FACETS; facet++) {
        out.WriteInt32(3);
        for (int k = 0; k < 3; k++) {
            out.WriteFloat(model[3 * facet + k].s);
            out.WriteFloat(model[3 * facet + k].t);
            out.WriteInt32(3 * facet + k);
        }
    }
    out.WriteInt32(0);
    return out.Bytes();
}

// A round glow, white-hot in the middle and fading to nothing at its rim,
// a little larger and redder in each frame: 32-bit TGA, top row first.
Bytes GlowFrame(int frame) {
    const int side = 32;
    Bytes file = { 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, side, 0, side, 0, 32, 0x28 };
    const float radius = 11.0f + 1.5f * static_cast<float>(frame);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            const float dx = static_cast<float>(x) - 15.5f;
            const float dy = static_cast<float>(y) - 15.5f;
            const float t = std::fmax(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy) / radius);
            file.push_back(static_cast<uint8_t>(60.0f + 195.0f * t * t));                  // blue
            file.push_back(static_cast<uint8_t>(140.0f + 115.0f * t - 10.0f * frame));    // green
            file.push_back(255);                                                         // red
            file.push_back(static_cast<uint8_t>(255.0f * t));                            // alpha
        }
    }
    return file;
}

// The text sprite naming the frames; its lines end in CR LF as the format has them.
Bytes GlowSprite() {
    const std::string text = "SPRT\r\n// a pulsing glow\r\npath sprites\r\nscale 1\r\n"
                             "glow0 glow_0.tga\r\nglow1 glow_1.tga\r\nglow2 glow_2.tga\r\nglow3 glow_3.tga\r\n";
    return Bytes(text.begin(), text.end());
}

struct PakEntry {
    std::string name;
    Bytes       data;
};

Bytes EncodePak(const std::vector<PakEntry>& entries) {
    int32_t offset = 12;
    CRecordWriter body, directory;
    for (const PakEntry& entry : entries) {
        for (uint8_t byte : entry.data) {
            body.WriteByte(byte);
        }
        directory.WriteName(entry.name, 56);
        directory.WriteInt32(offset);
        directory.WriteInt32(static_cast<int32_t>(entry.data.size()));
        offset += static_cast<int32_t>(entry.data.size());
    }
    CRecordWriter out;
    for (char c : { 'P', 'A', 'C', 'K' }) {
        out.WriteByte(static_cast<uint8_t>(c));
    }
    out.WriteInt32(offset);
    out.WriteInt32(static_cast<int32_t>(directory.Bytes().size()));
    Bytes file = out.Bytes();
    file.insert(file.end(), body.Bytes().begin(), body.Bytes().end());
    file.insert(file.end(), directory.Bytes().begin(), directory.Bytes().end());
    return file;
}

bool WriteFile(const std::string& path, const Bytes& data) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), out) == data.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_assets FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const std::string skinName = "models/crystal/skin.pcx";
    const Bytes pak = EncodePak({ { "models/crystal/tris.md2", CrystalModel(skinName) }, { skinName, CrystalSkin() },
                                  { "sprites/glow.txt", GlowSprite() }, { "sprites/glow_0.tga", GlowFrame(0) },
                                  { "sprites/glow_1.tga", GlowFrame(1) }, { "sprites/glow_2.tga", GlowFrame(2) },
                                  { "sprites/glow_3.tga", GlowFrame(3) } });
    if (!WriteFile(folder + "floor.pcx", FloorTexture()) || !WriteFile(folder + "demo.pak", pak)) {
        std::fprintf(stderr, "make_demo_assets: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
