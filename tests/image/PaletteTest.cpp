#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "image/GamePalettes.h"
#include "image/Palettes.h"
#include "models/Md2Normals.h"
#include "platform/StringTable.h"
#include "support/TestFolder.h"

namespace fs = std::filesystem;

namespace {

const fs::path palettesFolder = fs::path(ORRIN_TESTDATA).parent_path() / "palettes";

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class PaletteFile : public ::testing::Test {
protected:
    void SetUp() override { ApplyGamma(1.0f); }
    void TearDown() override { fs::remove(path); }

    void Write(const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string Jasc(int count, int entries) {
        std::string text = "JASC-PAL\r\n0100\r\n" + std::to_string(count) + "\r\n";
        for (int i = 0; i < entries; i++) {
            text += std::to_string(i) + " " + std::to_string(255 - i) + " " + std::to_string(i + 256) + "\r\n";
        }
        return text;
    }

    static std::string Riff(uint16_t version, uint16_t count) {
        std::string bytes = "RIFF";
        bytes += std::string("\x10\x04\0\0", 4);  // length, not checked
        bytes += "PAL data";
        bytes += std::string("\x04\x04\0\0", 4);
        bytes += static_cast<char>(version & 0xFF);
        bytes += static_cast<char>(version >> 8);
        bytes += static_cast<char>(count & 0xFF);
        bytes += static_cast<char>(count >> 8);
        for (int i = 0; i < 256; i++) {
            bytes += static_cast<char>(i);
            bytes += static_cast<char>(0);
            bytes += static_cast<char>(255 - i);
            bytes += static_cast<char>(i == 7 ? 0x05 : 0x00);  // flags
        }
        return bytes;
    }

    const std::string path = (fs::temp_directory_path() / ("orrin-pal-" + std::to_string(getpid()))).string();
    PaletteTable table = {};
};

}  // namespace

TEST(GamePalettes, MatchTheReferenceFiles) {
    if (!fs::exists(palettesFolder)) {
        GTEST_SKIP() << palettesFolder << " is absent";
    }
    EXPECT_EQ(ReadAll(palettesFolder / "quake2.lmp"), std::vector<uint8_t>(quake2Palette, quake2Palette + 768));
    EXPECT_EQ(ReadAll(palettesFolder / "quake.lmp"), std::vector<uint8_t>(quakePalette, quakePalette + 768));
    std::ifstream normals(palettesFolder / "anorms.txt");
    int count = 0;
    float x, y, z;
    while (normals >> x >> y >> z) {
        ASSERT_LT(count, MD2_NORMAL_COUNT);
        EXPECT_EQ(md2Normals[count][0], x);
        EXPECT_EQ(md2Normals[count][1], y);
        EXPECT_EQ(md2Normals[count][2], z);
        count++;
    }
    EXPECT_EQ(count, MD2_NORMAL_COUNT);
}

TEST(Gamma, OneIsTheIdentityAndHalfBrightensWithoutDecreasing) {
    ApplyGamma(1.0f);
    for (int v = 0; v < 256; v++) {
        EXPECT_EQ(gammaTable[v], v);
    }
    ApplyGamma(0.5f);
    EXPECT_EQ(gammaTable[0], 11);
    EXPECT_EQ(gammaTable[1], 20);
    EXPECT_EQ(gammaTable[128], 181);
    EXPECT_EQ(gammaTable[255], 255);
    for (int v = 1; v < 256; v++) {
        EXPECT_GE(gammaTable[v], gammaTable[v - 1]) << v;
    }
    // The palette tables follow the new gamma.
    EXPECT_EQ(quake2PaletteTable[16][0], gammaTable[99]);
    EXPECT_EQ(quakePaletteTable[16][2], gammaTable[7]);
    ApplyGamma(1.0f);
}

TEST_F(PaletteFile, JascAndRiffAreAcceptedWithTheirOwnBytes) {
    Write(Jasc(256, 256));
    ASSERT_TRUE(ReadPaletteFile(path, table));
    EXPECT_EQ(table[7][0], 7);
    EXPECT_EQ(table[7][1], 248);
    EXPECT_EQ(table[7][2], 7);  // 263 keeps its low byte
    EXPECT_EQ(table[7][3], 0);
    // RIFF keeps the flag bytes.
    Write(Riff(0x0300, 256));
    ASSERT_TRUE(ReadPaletteFile(path, table));
    EXPECT_EQ(table[7][0], 7);
    EXPECT_EQ(table[7][2], 248);
    EXPECT_EQ(table[7][3], 5);
}

TEST_F(PaletteFile, Refusals) {
    std::string wrongForm = Riff(0x0300, 256);
    wrongForm.replace(8, 4, "WAVE");
    const std::pair<const char*, std::string> cases[] = {
        { "JASC count 255", Jasc(255, 255) },
        { "JASC version 0101", "JASC-PAL\n0101\n256\n" },
        { "JASC entries cut short", Jasc(256, 200) },
        { "JASC magic only", "JASC" },
        { "RIFF version 0x0301", Riff(0x0301, 256) },
        { "RIFF count 255", Riff(0x0300, 255) },
        { "RIFF cut short", Riff(0x0300, 256).substr(0, 500) },
        { "RIFF WAVE form", wrongForm },
        { "raw 768 bytes", std::string(reinterpret_cast<const char*>(quake2Palette), 768) },
    };
    for (const auto& [name, bytes] : cases) {
        Write(bytes);
        EXPECT_FALSE(ReadPaletteFile(path, table)) << name;
    }
    EXPECT_FALSE(ReadPaletteFile(path + ".missing", table));
}

TEST_F(PaletteFile, DefaultPaletteGoesThroughTheGammaOrFallsBack) {
    ApplyGamma(0.5f);
    Write(Riff(0x0300, 256));
    ASSERT_TRUE(LoadDefaultPaletteFrom(path));
    EXPECT_EQ(defaultPaletteTable[7][0], gammaTable[7]);
    EXPECT_EQ(defaultPaletteTable[7][3], 5);  // flags pass untouched

    EXPECT_FALSE(LoadDefaultPaletteFrom(path + ".missing"));
    EXPECT_EQ(std::memcmp(defaultPaletteTable, quake2PaletteTable, sizeof(PaletteTable)), 0);
    ApplyGamma(1.0f);
}

TEST(PaletteFiles, RealFiles) {
    const fs::path folder = fs::path(ORRIN_TESTDATA) / "palette";
    if (!fs::exists(folder)) {
        GTEST_SKIP() << folder << " is absent";
    }
    PaletteTable table;
    EXPECT_TRUE(ReadPaletteFile((folder / "colorpalettecodable/jasc256.pal").string(), table));
    EXPECT_TRUE(ReadPaletteFile((folder / "colorpalettecodable/riff/sample.pal").string(), table));
    EXPECT_FALSE(ReadPaletteFile((folder / "colorpalettecodable/DB16.pal").string(), table));
    EXPECT_FALSE(ReadPaletteFile((folder / "slade/Quake .pal").string(), table));
}

TEST(DefaultPalette, FoundInTheUsersDataFolderOrToldMissing) {
    CTestFolder data;
    const char* previous = std::getenv("XDG_DATA_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    ApplyGamma(1.0f);

    testing::internal::CaptureStderr();
    LoadDefaultPalette();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(GetStringResource(107)) + "\n");
    EXPECT_EQ(std::memcmp(defaultPaletteTable, quake2PaletteTable, sizeof(PaletteTable)), 0);

    std::string jasc = "JASC-PAL\n0100\n256\n";
    for (int i = 0; i < 256; i++) {
        jasc += "1 2 3\n";
    }
    data.Write("orrin/quake2.pal", jasc);
    testing::internal::CaptureStderr();
    LoadDefaultPalette();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(defaultPaletteTable[200][2], 3);

    if (previous) {
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
}
