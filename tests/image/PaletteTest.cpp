#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/GamePalettes.h"
#include "image/Palettes.h"
#include "models/Md2Normals.h"
#include "platform/StringTable.h"
#include "support/Bytes.h"
#include "support/RealFiles.h"
#include "support/ScopedEnv.h"
#include "support/TestFolder.h"

namespace fs = std::filesystem;

namespace {

const fs::path palettesFolder = testData.parent_path() / "palettes";

class PaletteFile : public ::testing::Test {
protected:
    void SetUp() override { ApplyGamma(1.0f); }
    void TearDown() override { ApplyGamma(1.0f); }

    void Write(const std::string& bytes) { folder.Write("test.pal", bytes); }

    // Entry i is (i, 255 - i, i + 256).
    static std::string Jasc(int count, int entries) {
        std::string text = "JASC-PAL\r\n0100\r\n" + std::to_string(count) + "\r\n";
        for (int i = 0; i < entries; i++) {
            text += std::to_string(i) + " " + std::to_string(255 - i) + " " + std::to_string(i + 256) + "\r\n";
        }
        return text;
    }

    // Entry i is (i, 0, 255 - i) with flags 5 on entry 7 alone.
    static std::string Riff(uint16_t version, uint16_t count) {
        Bytes b;
        b.Text("RIFF").U32(0x410).Text("PAL data").U32(0x404).U16(version).U16(count);  // the lengths are not checked
        for (int i = 0; i < 256; i++) {
            b.U8(static_cast<uint8_t>(i)).U8(0).U8(static_cast<uint8_t>(255 - i)).U8(i == 7 ? 0x05 : 0x00);
        }
        return std::string(b.bytes.begin(), b.bytes.end());
    }

    CTestFolder folder;
    const std::string path = folder.Path("test.pal");
    PaletteTable table = {};
};

}  // namespace

TEST(GamePalettes, MatchTheReferenceFiles) {
    if (!fs::exists(palettesFolder)) {
        GTEST_SKIP() << palettesFolder << " is absent";
    }
    EXPECT_EQ(FileBytes(palettesFolder / "quake2.lmp"), std::vector<uint8_t>(quake2Palette, quake2Palette + 768));
    EXPECT_EQ(FileBytes(palettesFolder / "quake.lmp"), std::vector<uint8_t>(quakePalette, quakePalette + 768));
    std::ifstream normals(palettesFolder / "anorms.txt");
    const std::vector<float> fromFile{ std::istream_iterator<float>(normals), std::istream_iterator<float>() };
    EXPECT_EQ(fromFile, std::vector<float>(&md2Normals[0][0], &md2Normals[0][0] + 3 * MD2_NORMAL_COUNT));
}

TEST(Gamma, OneIsTheIdentityAndHalfBrightensWithoutDecreasing) {
    ApplyGamma(1.0f);
    for (int v = 0; v < 256; v++) {
        EXPECT_EQ(gammaTable[v], v);
    }
    ApplyGamma(0.5f);
    EXPECT_EQ(std::vector<int>({ gammaTable[0], gammaTable[1], gammaTable[128], gammaTable[255] }),
              std::vector<int>({ 11, 20, 181, 255 }));
    EXPECT_TRUE(std::is_sorted(gammaTable, gammaTable + 256));
    // The palette tables follow the new gamma.
    EXPECT_EQ(quake2PaletteTable[16][0], gammaTable[99]);
    EXPECT_EQ(quakePaletteTable[16][2], gammaTable[7]);
    ApplyGamma(1.0f);
}

// Accepted files keep their own bytes, flags too; the others are refused.
TEST_F(PaletteFile, JascAndRiffAreAcceptedAndTheRestRefused) {
    std::string wrongForm = Riff(0x0300, 256);
    wrongForm.replace(8, 4, "WAVE");
    const struct { const char* what; std::string bytes; std::vector<uint8_t> entry7; } cases[] = {  // {}: refused
        { "JASC: 263 keeps its low byte", Jasc(256, 256), { 7, 248, 7, 0 } },
        { "RIFF", Riff(0x0300, 256), { 7, 0, 248, 5 } },
        { "JASC count 255", Jasc(255, 255), {} },
        { "JASC version 0101", "JASC-PAL\n0101\n256\n", {} },
        { "JASC entries cut short", Jasc(256, 200), {} },
        { "JASC magic only", "JASC", {} },
        { "RIFF version 0x0301", Riff(0x0301, 256), {} },
        { "RIFF count 255", Riff(0x0300, 255), {} },
        { "RIFF cut short", Riff(0x0300, 256).substr(0, 500), {} },
        { "RIFF WAVE form", wrongForm, {} },
        { "raw 768 bytes", std::string(reinterpret_cast<const char*>(quake2Palette), 768), {} },
    };
    for (const auto& c : cases) {
        Write(c.bytes);
        EXPECT_EQ(ReadPaletteFile(path, table), !c.entry7.empty()) << c.what;
        if (!c.entry7.empty()) {
            EXPECT_EQ(std::vector<uint8_t>(table[7], table[7] + 4), c.entry7) << c.what;
        }
    }
    EXPECT_FALSE(ReadPaletteFile(path + ".missing", table));
}

TEST(PaletteFiles, RealFiles) {
    const fs::path folder = testData / "palette";
    if (!fs::exists(folder)) {
        GTEST_SKIP() << folder << " is absent";
    }
    PaletteTable table;
    EXPECT_TRUE(ReadPaletteFile((folder / "colorpalettecodable/jasc256.pal").string(), table));
    EXPECT_TRUE(ReadPaletteFile((folder / "colorpalettecodable/riff/sample.pal").string(), table));
    EXPECT_FALSE(ReadPaletteFile((folder / "colorpalettecodable/DB16.pal").string(), table));
    EXPECT_FALSE(ReadPaletteFile((folder / "slade/Quake .pal").string(), table));
}

// Flags pass untouched; with no file, or a missing one, Quake II's is used.
TEST_F(PaletteFile, DefaultPaletteIsTheUsersThroughTheGammaOrQuake2s) {
    CScopedEnv dataHome("XDG_DATA_HOME", folder.Path());
    ApplyGamma(0.5f);
    EXPECT_FALSE(FindDefaultPalette());
    EXPECT_EQ(std::memcmp(defaultPaletteTable, quake2PaletteTable, sizeof(PaletteTable)), 0);

    folder.Write("orrin/quake2.pal", Riff(0x0300, 256));
    EXPECT_TRUE(FindDefaultPalette());
    EXPECT_EQ(defaultPaletteTable[7][0], gammaTable[7]);
    EXPECT_EQ(defaultPaletteTable[7][3], 5);
    EXPECT_FALSE(LoadDefaultPaletteFrom(path + ".missing"));
    EXPECT_EQ(std::memcmp(defaultPaletteTable, quake2PaletteTable, sizeof(PaletteTable)), 0);
}
