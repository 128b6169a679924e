#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/Bytes.h"
#include "support/RecordBytes.h"

// The scene-level fields of a scene file, laid out in the order they are
// stored; tests change what they need and append the records.
struct SceneHeader {
    int32_t version = 6;
    bool    usesVWep = false;
    int32_t lights = 0;
    int32_t objects = 0;
    int32_t textures = 0;
    bool    shadows = false;
    int32_t shadowLights[8] = { -1, -1, -1, -1, -1, -1, -1, -1 };
    int32_t shadowPlanes[4] = { -1, -1, -1, -1 };
    std::vector<std::string> paks;
    float   fieldOfView = 30.0f;

    Bytes Write() const {
        Bytes b;
        b.Text("TAV2").I32(version).U8(usesVWep ? 1 : 0);
        b.F32(0.1f).F32(0.2f).F32(0.3f);                 // background
        b.F32(0.4f).F32(0.5f).F32(0.6f).F32(1.0f);       // ambient
        b.I32(lights).I32(objects).I32(textures).U8(shadows ? 1 : 0);
        for (int32_t slot : shadowLights) b.I32(slot);
        for (int32_t slot : shadowPlanes) b.I32(slot);
        b.U8(1).F32(0.5f);                               // shadow blend and alpha
        b.I32(static_cast<int32_t>(paks.size()));
        for (const std::string& pak : paks) b.Field(pak.c_str(), 260);
        b.U8(0);                                         // no background image
        if (version >= 6) b.F32(fieldOfView);
        for (int i = 0; i < 13; i++) b.F32(i == 6 || i == 9 ? 1.0f : 0.0f);  // camera
        return b;
    }
};

inline void AppendTexture(Bytes& b, int32_t pakIndex, const std::string& path) {
    b.I32(pakIndex).U8(0).Field(path.c_str(), 260);
}

// The sample prefix of the type, taking the texture given.
inline void AppendObject(Bytes& b, int32_t typeCode, int32_t textureIndex, std::vector<uint8_t> record = SampleObjectPrefix()) {
    Bytes object;
    object.bytes = std::move(record);
    object.PutU32(223, static_cast<uint32_t>(textureIndex));
    b.I32(typeCode).Raw(object.bytes.data(), object.Size());
}

inline void AppendPointLight(Bytes& b, int32_t type) {
    b.I32(type).Field("Lamp", 100).Fill(172 - 100);
}
