#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diag/LoadMessages.h"
#include "image/COGLImage.h"
#include "image/GamePalettes.h"
#include "image/Palettes.h"
#include "platform/StringTable.h"
#include "support/CapturedReports.h"
#include "support/PictureFiles.h"
#include "support/TestJpeg.h"

namespace {

// A PCX of the given size whose index at (x, y) is pick(x, y), over
// PcxPalette except that entry 7 is given entry 255's colour.
template <typename Pick>
std::vector<uint8_t> PcxFile(int width, int height, Pick pick) {
    Bytes b = PcxHeader(int16_t(width - 1), int16_t(height - 1), uint16_t(width));
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            b.U8(0xC1).U8(static_cast<uint8_t>(pick(x, y)));
        }
    }
    PcxPalette(b);
    std::copy_n(b.bytes.end() - 3, 3, b.bytes.end() - 768 + 3 * 7);  // entry 255 is the last
    return b.bytes;
}

class Image : public ::testing::Test {
protected:
    void SetUp() override { ApplyGamma(1.0f); }
    void TearDown() override { ApplyGamma(1.0f); }

    // Decodes a picture file's bytes as the scene does, telling what went wrong.
    static bool Decode(COGLImage& picture, const std::string& name, const std::vector<uint8_t>& bytes,
                       bool fit = true, bool defaultPalette = false) {
        LoadMessages messages;
        const bool decoded = picture.DecodeFile(name, bytes, fit, defaultPalette, messages);
        ReportMessages(messages);
        return decoded;
    }
    static bool DecodeEntry(COGLImage& picture, const std::string& name, const std::vector<uint8_t>& bytes) {
        LoadMessages messages;
        const bool decoded = picture.DecodeEntry(name, bytes, true, false, messages);
        ReportMessages(messages);
        return decoded;
    }
    static std::string Message(int id) { return GetStringResource(id); }

    // RGB(A) of the finished pixel at column x of row y counted from the bottom.
    std::vector<int> At(int x, int row) const {
        const int channels = image.transparent ? 4 : 3;
        const uint8_t* p = &image.pixels[(size_t(row) * image.width + x) * channels];
        return std::vector<int>(p, p + channels);
    }

    CCapturedReports reports;
    COGLImage   image;
};

}  // namespace

TEST_F(Image, SkinWithoutIndex255IsRgbAndWithItKeysOutTheColour) {
    ASSERT_TRUE(Decode(image, "plain.pcx", PcxFile(64, 64, [](int x, int) { return x; })));
    EXPECT_FALSE(image.transparent);
    EXPECT_EQ(image.pixels.size(), 64u * 64 * 3);

    // Index 255 in the top-left corner; index 7 has the same colour elsewhere.
    const std::vector<uint8_t> keyed = PcxFile(64, 64, [](int x, int y) { return x == 0 && y == 0 ? 255 : x == 5 ? 7 : 9; });
    COGLImage skin;
    ASSERT_TRUE(Decode(skin, "keyed.pcx", keyed));
    ASSERT_TRUE(skin.transparent);
    EXPECT_FALSE(skin.hasAlpha);
    const auto alphaAt = [&](int x, int row) { return skin.pixels[(size_t(row) * 64 + x) * 4 + 3]; };
    EXPECT_EQ(alphaAt(0, 63), 0);   // the top row is stored last
    EXPECT_EQ(alphaAt(5, 10), 0);   // same colour from another index
    EXPECT_EQ(alphaAt(6, 10), 255);
}

TEST_F(Image, FittingPicksSourceColoursSideBySideAndStoresRowsBottomFirst) {
    // Three by three: index 10 * row + column.
    ASSERT_TRUE(Decode(image, "grid.PCX", PcxFile(3, 3, [](int x, int y) { return 10 * y + x; }), false));
    ASSERT_EQ(image.width, 3);
    EXPECT_EQ(At(0, 0), (std::vector<int>{ 20, 235, 10 }));  // bottom-left is index 20
    EXPECT_EQ(At(2, 2), (std::vector<int>{ 2, 253, 1 }));    // top-right is index 2

    // Five by three fitted to four by two, each side on its own: every
    // texel is one source colour.
    COGLImage fitted;
    ASSERT_TRUE(Decode(fitted, "five.pcx", PcxFile(5, 3, [](int x, int y) { return 10 * y + x; })));
    EXPECT_EQ(fitted.sourceWidth, 5);
    EXPECT_EQ(fitted.sourceHeight, 3);
    ASSERT_EQ(fitted.width, 4);
    ASSERT_EQ(fitted.height, 2);
    for (size_t i = 0; i < fitted.pixels.size(); i += 3) {
        const int index = fitted.pixels[i];
        EXPECT_TRUE(index % 10 < 5 && index < 30) << index;
        EXPECT_EQ(fitted.pixels[i + 1], 255 - index);
    }
}

// A file goes by its extension, an archive entry by its last three letters.
TEST_F(Image, NamesDecideTheDecoder) {
    const std::vector<uint8_t> pcx = PcxFile(4, 2, [](int x, int) { return x; });
    EXPECT_FALSE(Decode(image, "photo.jpeg", pcx));
    EXPECT_FALSE(Decode(image, "noext", pcx));
    EXPECT_EQ(reports.Errors(), "");  // both fail without a word
    EXPECT_TRUE(Decode(image, "dir.tga/skin.pcx", pcx));
    EXPECT_TRUE(DecodeEntry(image, "pics/ITEM.Pcx", pcx));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(At(3, 0), (std::vector<int>{ 3, 252, 1 }));  // the palette ends where the entry does
    EXPECT_EQ(reports.Errors(), "");
    EXPECT_FALSE(DecodeEntry(image, "pics/item.bmp", pcx));
    EXPECT_EQ(reports.Errors(), Message(103));
}

TEST_F(Image, BmpKeepsItsColoursAndWarnsAboutTheDefaultPalette) {
    ApplyGamma(0.5f);
    ASSERT_TRUE(Decode(image, "pic.bmp", BmpFile(1, 1, 24, 0, {}, { 30, 20, 10, 0 }).bytes, true, true));
    EXPECT_EQ(reports.Errors(), Message(102));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(At(1, 1), (std::vector<int>{ 10, 20, 30 }));
}

TEST_F(Image, RefusedPicturesReportWhyThenCouldNotLoadBitmap) {
    EXPECT_FALSE(Decode(image, "grey.tga", TgaHeader(3, 1, 1, 16).U16(128).bytes));
    EXPECT_EQ(reports.Errors(), Message(104));
    EXPECT_TRUE(image.pixels.empty());

    // The error file grows with each refusal.
    EXPECT_FALSE(Decode(image, "grey.jpg", EncodeTestJpeg(8, 8, 1)));
    EXPECT_EQ(reports.Errors(), Message(104) + Message(105) + Message(104));

    // A cut JPEG: the library's own words, then 104.
    std::vector<uint8_t> cut = EncodeTestJpeg(8, 8, 3);
    cut.resize(30);
    EXPECT_FALSE(Decode(image, "cut.jpg", cut));
    const std::string errors = reports.Errors();
    ASSERT_GT(errors.size(), Message(104).size() * 3 + Message(105).size());
    EXPECT_EQ(errors.substr(errors.size() - Message(104).size()), Message(104));
}

TEST_F(Image, IndexedBlocksFromModelFiles) {
    const uint8_t indices[4] = { 0x10, 0xD0, 0xFE, 0x01 };
    LoadMessages messages;
    ASSERT_TRUE(image.DecodeIndexed(indices, sizeof indices, 2, 2, messages));
    EXPECT_TRUE(image.fitToTexture);
    EXPECT_FALSE(image.transparent);
    // Quake palette: top row 16, 208; bottom row 254, 1.
    EXPECT_EQ(At(0, 1), (std::vector<int>{ quakePalette[48], quakePalette[49], quakePalette[50] }));
    EXPECT_EQ(At(0, 0), (std::vector<int>{ 255, 255, 255 }));

    // A block larger than the bytes it comes with, or than any picture, is
    // refused with the picture's message.
    const std::vector<uint8_t> beyondBudget(size_t(4097) * 4096);
    COGLImage forged;
    EXPECT_FALSE(forged.DecodeIndexed(indices, sizeof indices, 4000, 4000, messages));
    EXPECT_FALSE(forged.DecodeIndexed(beyondBudget.data(), beyondBudget.size(), 4097, 4096, messages));
    EXPECT_FALSE(forged.DecodeIndexedWithPalette(beyondBudget.data(), beyondBudget.size(), quakePaletteTable, 4097,
                                                 4096, 2, messages));
    ASSERT_EQ(messages.size(), 3u);
    for (const LoadMessage& message : messages) {
        EXPECT_EQ(message.number, 104);
    }
}

TEST_F(Image, IndexedWithPaletteModes) {
    PaletteTable palette = {};
    for (int i = 0; i < 256; i++) {
        palette[i][0] = static_cast<uint8_t>(i);
        palette[i][1] = 100;
        palette[i][2] = static_cast<uint8_t>(255 - i);
    }
    // 40 x 20 indices: index = column * 4 + row / 10.
    std::string indices;
    for (int y = 0; y < 20; y++) {
        for (int x = 0; x < 40; x++) {
            indices += static_cast<char>(x * 4 + y / 10);
        }
    }
    const auto* block = reinterpret_cast<const uint8_t*>(indices.data());
    LoadMessages messages;
    ASSERT_TRUE(image.DecodeIndexedWithPalette(block, indices.size(), palette, 40, 20, 2, messages));
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 32);
    EXPECT_TRUE(image.transparent);
    // First stored row samples the bottom: y = 31, y0 = floor(31.25 * 20 / 32) = 19.
    // Column 0: x0 = 0, x1 = floor(0.75 * 40 / 64) = 0; the alpha is the index.
    EXPECT_EQ(image.pixels[3], 0 * 4 + 1);
    // Column 10: x0 = floor(10.25 * 0.625) = 6, x1 = floor(10.75 * 0.625) = 6.
    EXPECT_EQ(image.pixels[10 * 4 + 3], 6 * 4 + 1);
    EXPECT_EQ(image.pixels[10 * 4 + 0], 6 * 4 + 1);

    COGLImage keyed;
    palette[200][0] = palette[255][0];
    palette[200][2] = palette[255][2];
    ASSERT_TRUE(keyed.DecodeIndexedWithPalette(block, indices.size(), palette, 40, 20, 3, messages));
    EXPECT_TRUE(keyed.transparent);
    EXPECT_EQ(keyed.keyColor[0], 255);

    COGLImage unknown;
    EXPECT_TRUE(unknown.DecodeIndexedWithPalette(block, indices.size(), palette, 40, 20, 7, messages));
    EXPECT_TRUE(unknown.pixels.empty());
}
