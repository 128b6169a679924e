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

TEST(GamePalettes, TellingEntries) {
    struct Entry {
        int index;
        uint8_t q2[3], q1[3];
    };
    const Entry entries[] = {
        { 0, { 0, 0, 0 }, { 0, 0, 0 } },         { 1, { 15, 15, 15 }, { 15, 15, 15 } },
        { 15, { 235, 235, 235 }, { 235, 235, 235 } }, { 16, { 99, 75, 35 }, { 15, 11, 7 } },
        { 208, { 0, 255, 0 }, { 0, 0, 255 } },    { 240, { 239, 0, 0 }, { 167, 123, 59 } },
        { 254, { 135, 107, 87 }, { 255, 255, 255 } }, { 255, { 159, 91, 83 }, { 159, 91, 83 } },
    };
    for (const Entry& e : entries) {
        EXPECT_EQ(std::memcmp(quake2Palette + 3 * e.index, e.q2, 3), 0) << e.index;
        EXPECT_EQ(std::memcmp(quakePalette + 3 * e.index, e.q1, 3), 0) << e.index;
    }
}

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

TEST(Gamma, OneIsTheIdentity) {
    ApplyGamma(1.0f);
    for (int v = 0; v < 256; v++) {
        EXPECT_EQ(gammaTable[v], v);
    }
    const uint8_t expected[4] = { 99, 75, 35, 0 };
    EXPECT_EQ(std::memcmp(quake2PaletteTable[16], expected, 4), 0);
}

TEST(Gamma, HalfBrightensAndNeverDecreases) {
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

TEST_F(PaletteFile, JascWithCountAndEntriesIsAccepted) {
    Write(Jasc(256, 256));
    ASSERT_TRUE(ReadPaletteFile(path, table));
    EXPECT_EQ(table[7][0], 7);
    EXPECT_EQ(table[7][1], 248);
    EXPECT_EQ(table[7][2], 7);  // 263 keeps its low byte
    EXPECT_EQ(table[7][3], 0);
}

TEST_F(PaletteFile, JascRefusals) {
    Write(Jasc(255, 255));
    EXPECT_FALSE(ReadPaletteFile(path, table));
    Write("JASC-PAL\n0101\n256\n");
    EXPECT_FALSE(ReadPaletteFile(path, table));
    Write(Jasc(256, 200));  // entries cut short
    EXPECT_FALSE(ReadPaletteFile(path, table));
    Write("JASC");
    EXPECT_FALSE(ReadPaletteFile(path, table));
}

TEST_F(PaletteFile, RiffKeepsTheFlagBytes) {
    Write(Riff(0x0300, 256));
    ASSERT_TRUE(ReadPaletteFile(path, table));
    EXPECT_EQ(table[7][0], 7);
    EXPECT_EQ(table[7][2], 248);
    EXPECT_EQ(table[7][3], 5);
}

TEST_F(PaletteFile, RiffRefusals) {
    Write(Riff(0x0301, 256));
    EXPECT_FALSE(ReadPaletteFile(path, table));
    Write(Riff(0x0300, 255));
    EXPECT_FALSE(ReadPaletteFile(path, table));
    Write(Riff(0x0300, 256).substr(0, 500));
    EXPECT_FALSE(ReadPaletteFile(path, table));
    std::string wrongForm = Riff(0x0300, 256);
    wrongForm.replace(8, 4, "WAVE");
    Write(wrongForm);
    EXPECT_FALSE(ReadPaletteFile(path, table));
}

TEST_F(PaletteFile, RawPaletteAndMissingFileAreRefused) {
    Write(std::string(reinterpret_cast<const char*>(quake2Palette), 768));
    EXPECT_FALSE(ReadPaletteFile(path, table));
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
