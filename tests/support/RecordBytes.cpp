#include "support/RecordBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/CFile.h"

std::vector<uint8_t> SampleObjectPrefix() {
    Bytes b;
    b.Field("Crate", 100);
    for (int i = 0; i < 16; i++) b.F32(0.05f * float(i + 1));  // ambient .. emission
    b.F32(32.0f);                                            // shininess
    b.F32(0.1f).F32(0.2f).F32(0.3f).F32(0.9f);               // orientation
    b.F32(2.0f).F32(3.0f).F32(4.0f);                         // scale
    b.F32(5.0f).F32(6.0f).F32(7.0f);                         // position
    b.F32(-8.0f);                                            // position x again
    b.U8(1).U8(1).U8(0);                                     // visible, transparent, animating
    b.I32(2);                                                // render mode
    b.I32(0x11);                                             // reserved A
    b.I32(3);                                                // texture index
    b.F32(10).F32(20).F32(30);                               // texture rotation
    b.F32(1.5f).F32(2.5f).F32(3.5f);                         // texture scale
    b.F32(0.25f).F32(0.5f).F32(0.75f);                       // texture translation
    b.I32(0x1E01);                                           // texture mode (GL_REPLACE)
    b.I32(7);                                                // reserved B
    return b.bytes;
}

float FloatAt(const std::vector<uint8_t>& bytes, size_t offset) {
    float f;
    std::memcpy(&f, bytes.data() + offset, 4);
    return f;
}

int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset) {
    int32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

std::vector<uint8_t> SavedBytes(const std::function<void(CFile&)>& save) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orrin-record-" + std::to_string(getpid()) + ".bin");
    {
        CFile file;
        EXPECT_TRUE(file.Open(path.string(), CFile::modeWrite));
        save(file);
    }
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    CFile file;
    EXPECT_TRUE(file.Open(path.string(), CFile::modeRead));
    file.Read(bytes.data(), bytes.size());
    file.Close();
    std::filesystem::remove(path);
    return bytes;
}

std::vector<uint8_t> SampleTextRecord(const std::string& text, const char* face, bool centred, bool italic) {
    Bytes b;
    b.bytes = SampleObjectPrefix();
    b.U8(centred ? 1 : 0);
    b.F32(5.0f).F32(6.0f).F32(7.0f);
    b.F32(0.25f);
    b.Text(text.substr(0, 32)).Fill(32 - std::min<size_t>(text.size(), 32));
    b.Field(face, 32);
    b.U8(italic ? 1 : 0);
    return b.bytes;
}
