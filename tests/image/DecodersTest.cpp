#include <gtest/gtest.h>

#include <ctime>

#include "image/GamePalettes.h"
#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"
#include "support/Bytes.h"

namespace {

using Decoder = bool (*)(const uint8_t*, size_t, SourcePicture&);
using Pixels = std::vector<uint8_t>;

bool DecodePcxOwnPalette(const uint8_t* data, size_t size, SourcePicture& out) { return DecodePcx(data, size, false, out); }
bool DecodePcxDefaultPalette(const uint8_t* data, size_t size, SourcePicture& out) { return DecodePcx(data, size, true, out); }

class Decoders : public ::testing::Test {
protected:
    void SetUp() override { ApplyGamma(1.0f); }
    void TearDown() override { ApplyGamma(1.0f); }

    bool Decode(Decoder decoder, const Bytes& file) { return decoder(file.bytes.data(), file.Size(), picture); }
    Pixels Rgba(int x, int y) const {
        uint8_t c[4];
        picture.ColorAt(x, y, c);
        return { c[0], c[1], c[2], c[3] };
    }
    Pixels Rgb(int x, int y) const {
        Pixels c = Rgba(x, y);
        c.pop_back();
        return c;
    }
    // Every pixel's R, G, B, A, top row first.
    Pixels AllRgba() const {
        Pixels all;
        for (int y = 0; y < picture.height; y++) {
            for (int x = 0; x < picture.width; x++) {
                const Pixels c = Rgba(x, y);
                all.insert(all.end(), c.begin(), c.end());
            }
        }
        return all;
    }

    SourcePicture picture;
};

// An 8-bit PCX header with the given maximum coordinates.
Bytes PcxHeader(int16_t xmax, int16_t ymax, uint16_t bytesPerLine, uint8_t planes = 1) {
    Bytes b;
    b.U8(10).U8(5).U8(1).U8(8);           // maker, version, run-length, 8 bits
    b.U16(0).U16(0).U16(static_cast<uint16_t>(xmax)).U16(static_cast<uint16_t>(ymax));
    b.Fill(65 - b.Size()).U8(planes).U16(bytesPerLine);
    return b.Fill(128 - b.Size());
}

// The pixel bytes, then a palette whose entry i is (i, 255 - i, i / 2).
Bytes& PcxPalette(Bytes& b) {
    b.U8(0x0C);
    for (int i = 0; i < 256; i++) {
        b.U8(static_cast<uint8_t>(i)).U8(static_cast<uint8_t>(255 - i)).U8(static_cast<uint8_t>(i / 2));
    }
    return b;
}

Bytes WalFile(uint32_t width, uint32_t height, uint32_t offset0, uint32_t offset1, std::vector<uint8_t> indices) {
    Bytes b;
    b.Field("e1u1/floor", 32).U32(width).U32(height).U32(offset0).U32(offset1);
    b.Fill(offset0 - b.Size());
    return b.Raw(indices.data(), indices.size());
}

// Two pixels, 63 and 64, over a palette of (i, 10, 20) whose entry 63 alone
// has alpha 128.
Bytes SwlFile() {
    Bytes b;
    b.Field("textures/sin/wall", 64).U32(2).U32(1);
    for (int i = 0; i < 256; i++) {
        b.U8(static_cast<uint8_t>(i)).U8(10).U8(20).U8(i == 63 ? 128 : 255);
    }
    b.U32(0).U32(1236).U32(1238);
    return b.Fill(1236 - b.Size()).U8(63).U8(64);
}

// A colour map is declared when its entries have a size.
Bytes TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor = 0,
                uint16_t mapFirst = 0, uint16_t mapLength = 0, uint8_t mapBits = 0) {
    Bytes b;
    b.U8(0).U8(mapBits != 0 ? 1 : 0).U8(type).U16(mapFirst).U16(mapLength).U8(mapBits);
    return b.U16(0).U16(0).U16(width).U16(height).U8(bits).U8(descriptor);
}

Bytes BmpFile(int32_t width, int32_t height, uint16_t bits, uint32_t compression, const std::vector<uint32_t>& palette,
              const std::vector<uint8_t>& pixels) {
    Bytes b;
    const uint32_t pixelOffset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
    b.Text("BM").U32(pixelOffset + static_cast<uint32_t>(pixels.size())).U32(0).U32(pixelOffset);
    b.U32(40).I32(width).I32(height).U16(1).U16(bits).U32(compression).U32(0).U32(0).U32(0);
    b.U32(static_cast<uint32_t>(palette.size())).U32(0);
    for (uint32_t entry : palette) {
        b.U32(entry);  // 0x00RRGGBB lays out as B, G, R, 0
    }
    return b.Raw(pixels.data(), pixels.size());
}

Bytes Cut(const Bytes& file, size_t size) {
    Bytes cut;
    return cut.Raw(file.bytes.data(), size);
}

}  // namespace

TEST_F(Decoders, PcxRunsAcrossRowsWithItsOwnPalette) {
    Bytes file = PcxHeader(3, 1, 4);
    file.U8(0xC3).U8(7);   // three 7s
    file.U8(0xC0).U8(99);  // a run of 0: the value is consumed, nothing stored
    file.U8(0xC3).U8(9);   // runs on into the second row
    file.U8(0xFF).U8(5);   // 63 more asked for; only the 2 left are stored
    ASSERT_TRUE(Decode(DecodePcxOwnPalette, PcxPalette(file)));
    ASSERT_EQ(picture.width, 4);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.data, (Pixels { 7, 7, 7, 9, 9, 9, 5, 5 }));
    EXPECT_EQ(Rgb(0, 0), (Pixels { 7, 248, 3 }));
    EXPECT_FALSE(picture.bottomUp);
    EXPECT_FALSE(picture.transparent);

    // Width 3 in lines of 4: the fourth byte of each line is padding.
    file = PcxHeader(2, 1, 4);
    file.U8(1).U8(2).U8(3).U8(0x11).U8(4).U8(5).U8(6).U8(0x11);
    ASSERT_TRUE(Decode(DecodePcxOwnPalette, PcxPalette(file)));
    EXPECT_EQ(picture.data, (Pixels { 1, 2, 3, 4, 5, 6 }));
}

TEST_F(Decoders, PcxIndex255MakesItTransparentWithTheGammaCorrectedKey) {
    ApplyGamma(0.5f);
    Bytes file = PcxHeader(1, 0, 2);
    file.U8(0xC1).U8(255).U8(3);
    ASSERT_TRUE(Decode(DecodePcxOwnPalette, PcxPalette(file)));
    EXPECT_TRUE(picture.transparent);
    EXPECT_EQ(Pixels(picture.keyColor, picture.keyColor + 3), (Pixels { gammaTable[255], gammaTable[0], gammaTable[127] }));
}

TEST_F(Decoders, PcxWithTheDefaultPaletteNeedsNoPaletteOfItsOwn) {
    LoadDefaultPaletteFrom("/nonexistent/quake2.pal");  // falls back to Quake II
    Bytes file = PcxHeader(1, 0, 2);
    file.U8(16).U8(0xC1).U8(208);  // 208 has both top bits: it must be a run
    ASSERT_TRUE(Decode(DecodePcxDefaultPalette, file));
    EXPECT_EQ(Rgb(0, 0), (Pixels { 99, 75, 35 }));
    EXPECT_EQ(Rgb(1, 0), (Pixels { 0, 255, 0 }));
}

TEST_F(Decoders, WalReadsTheFirstMipLevelWithTheQuake2Palette) {
    ASSERT_TRUE(Decode(DecodeWal, WalFile(2, 2, 100, 104, { 16, 208, 255, 0, 1, 1, 1, 1 })));
    EXPECT_EQ(picture.data, (Pixels { 16, 208, 255, 0 }));
    EXPECT_EQ(Rgb(0, 0), (Pixels { 99, 75, 35 }));
    EXPECT_TRUE(picture.transparent);
    EXPECT_EQ(picture.keyColor[0], quake2Palette[3 * 255]);
    // A level that claims fewer bytes than the picture has: the rest is zero;
    // the second offset before the first reads nothing.
    ASSERT_TRUE(Decode(DecodeWal, WalFile(2, 2, 100, 102, { 5, 6, 7, 8 })));
    EXPECT_EQ(picture.data, (Pixels { 5, 6, 0, 0 }));
    ASSERT_TRUE(Decode(DecodeWal, WalFile(2, 2, 100, 50, { 5, 6, 7, 8 })));
    EXPECT_EQ(picture.data, (Pixels { 0, 0, 0, 0 }));
}

TEST_F(Decoders, SwlIndex63IsTransparentAtAnyGamma) {
    ApplyGamma(0.5f);
    ASSERT_TRUE(Decode(DecodeSwl, SwlFile()));
    EXPECT_TRUE(picture.transparent);
    EXPECT_EQ(picture.keyColor[0], gammaTable[63]);
    EXPECT_EQ(picture.keyColor[1], gammaTable[10]);
    EXPECT_EQ(Rgba(1, 0), (Pixels { gammaTable[64], gammaTable[10], gammaTable[20], 255 }));
}

TEST_F(Decoders, PcxOfThreePlanesIsDirectColourThroughTheGamma) {
    ApplyGamma(0.5f);
    // 2 x 2 in plane lines of 3 bytes: red, green, blue, each with a padding byte.
    Bytes file = PcxHeader(1, 1, 3, 3);
    file.U8(10).U8(20).U8(0xC3).U8(30);     // the run fills red's padding, then two greens
    file.U8(0).U8(50).U8(60).U8(0);         // green's padding, blue
    file.U8(0xC9).U8(70);                   // the whole second row
    ASSERT_TRUE(Decode(DecodePcxDefaultPalette, file));
    ASSERT_EQ(picture.channels, 3);
    EXPECT_FALSE(picture.transparent);
    const uint8_t* t = gammaTable;
    EXPECT_EQ(AllRgba(), (Pixels { t[10], t[30], t[50], 255, t[20], t[30], t[60], 255,
                                   t[70], t[70], t[70], 255, t[70], t[70], t[70], 255 }));
}

TEST_F(Decoders, TgaColoursPassTheGammaButAlphaDoesNot) {
    ApplyGamma(0.5f);
    ASSERT_TRUE(Decode(DecodeTga, TgaHeader(2, 1, 1, 32).U8(40).U8(50).U8(60).U8(70)));
    EXPECT_TRUE(picture.transparent);
    EXPECT_TRUE(picture.hasAlpha);
    EXPECT_EQ(Rgba(0, 0), (Pixels { gammaTable[60], gammaTable[50], gammaTable[40], 70 }));
    ASSERT_TRUE(Decode(DecodeTga, TgaHeader(3, 1, 1, 8).U8(40)));
    EXPECT_EQ(Rgba(0, 0), (Pixels { gammaTable[40], gammaTable[40], gammaTable[40], 255 }));
}

// Every kind of TGA: orientation, colour maps from their first entry, run
// packets across row ends, five-bit colour with its attribute bit, grey.
TEST_F(Decoders, TgaKinds) {
    const uint8_t red16[] = { 0x00, 0x7C }, green16[] = { 0xE0, 0x03 }, blue16[] = { 0x1F, 0x00 };
    const Pixels red = { 255, 0, 0, 255 }, green = { 0, 255, 0, 255 }, blue = { 0, 0, 255, 255 };
    auto concat = [](std::initializer_list<Pixels> parts) {
        Pixels all;
        for (const Pixels& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const struct {
        const char* what;
        Bytes file;
        bool hasAlpha;
        Pixels rgba;
    } cases[] = {
        { "run-length 24-bit, a packet across a row end",
          TgaHeader(10, 3, 2, 24)
              .U8(0x83).U8(1).U8(2).U8(3)                     // four of one pixel: the bottom row and one more
              .U8(0x01).U8(4).U8(5).U8(6).U8(7).U8(8).U8(9)   // two literal pixels
              .U8(0x85).U8(0).U8(0).U8(0),                    // past the top row: ignored
          false,
          { 3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 3, 2, 1, 255, 3, 2, 1, 255, 3, 2, 1, 255 } },
        { "colour-mapped from entry 2, top row first",
          TgaHeader(1, 1, 2, 8, 0x20, 2, 2, 24).U8(10).U8(20).U8(30).U8(40).U8(50).U8(60).U8(3).U8(2),
          false,
          { 60, 50, 40, 255, 30, 20, 10, 255 } },
        { "colour map of 5-5-5 entries longer than 256",
          TgaHeader(1, 1, 1, 8, 0, 0, 300, 16).Raw(red16, 2).Fill(299 * 2).U8(0),
          false,
          red },
        { "run-length colour-mapped",
          TgaHeader(9, 3, 2, 8, 0, 0, 2, 16).Raw(red16, 2).Raw(green16, 2).U8(0x83).U8(1).U8(0x01).U8(0).U8(1),
          false,
          concat({ green, red, green, green, green, green }) },
        { "grey, bottom row first",
          TgaHeader(3, 2, 2, 8).U8(0).U8(50).U8(100).U8(255),
          false,
          { 100, 100, 100, 255, 255, 255, 255, 255, 0, 0, 0, 255, 50, 50, 50, 255 } },
        { "run-length grey, a packet across a row end",
          TgaHeader(11, 2, 2, 8).U8(0x82).U8(7).U8(0x00).U8(9),
          false,
          { 7, 7, 7, 255, 9, 9, 9, 255, 7, 7, 7, 255, 7, 7, 7, 255 } },
        { "16-bit whose attribute bit is alpha",
          TgaHeader(2, 2, 1, 16, 1).U16(0xFC00).U16(0x0210),
          true,
          { 255, 0, 0, 255, 0, 132, 132, 0 } },
        { "15-bit: bit 15 is no alpha",
          TgaHeader(2, 1, 1, 15).U16(0x801F),
          false,
          blue },
        { "run-length 16-bit",
          TgaHeader(10, 2, 2, 16).U8(0x81).Raw(red16, 2).U8(0x01).Raw(blue16, 2).Raw(green16, 2),
          false,
          concat({ blue, green, red, red }) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Decode(DecodeTga, c.file));
        EXPECT_EQ(picture.hasAlpha, c.hasAlpha);
        EXPECT_EQ(AllRgba(), c.rgba);
    }
}

TEST_F(Decoders, BmpEightBitWithPaddedRowsAndNoGamma) {
    ApplyGamma(0.5f);
    // 3 x 2, rows of 3 indices padded to 4, bottom row first.
    ASSERT_TRUE(Decode(DecodeBmp, BmpFile(3, 2, 8, 0, { 0x000000, 0xFF8000, 0x0000FF }, { 1, 2, 0, 0xEE, 2, 2, 1, 0xEE })));
    EXPECT_EQ(Rgb(0, 1), (Pixels { 255, 128, 0 }));  // bottom left
    EXPECT_EQ(Rgb(2, 0), (Pixels { 255, 128, 0 }));  // top right
    EXPECT_EQ(Rgb(1, 1), (Pixels { 0, 0, 255 }));
}

TEST_F(Decoders, BmpTopDownAndSubByteDepths) {
    // 24-bit top-down: B, G, R per pixel, rows padded to 4 bytes.
    ASSERT_TRUE(Decode(DecodeBmp, BmpFile(1, -2, 24, 0, {}, { 1, 2, 3, 0, 4, 5, 6, 0 })));
    EXPECT_EQ(Rgb(0, 0), (Pixels { 3, 2, 1 }));
    EXPECT_EQ(Rgb(0, 1), (Pixels { 6, 5, 4 }));
    // 1-bit: the highest bit is the leftmost pixel; 4-bit: high nibble first.
    ASSERT_TRUE(Decode(DecodeBmp, BmpFile(3, 1, 1, 0, { 0x000000, 0xFFFFFF }, { 0xA0, 0, 0, 0 })));
    EXPECT_EQ(picture.data, (Pixels { 1, 0, 1 }));
    ASSERT_TRUE(Decode(DecodeBmp, BmpFile(3, 1, 4, 0, { 0, 0x010101, 0x020202 }, { 0x12, 0x00, 0, 0 })));
    EXPECT_EQ(picture.data, (Pixels { 1, 2, 0 }));
}

TEST_F(Decoders, BmpRunLength8) {
    // 4 x 2: a run of three 1s and a literal 2 on the bottom row; end of
    // line; an absolute run of 3 (padded to 4 bytes) then a run of one 5.
    ASSERT_TRUE(Decode(DecodeBmp, BmpFile(4, 2, 8, 1, { 0, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555 },
                                          { 3, 1, 1, 2, 0, 0, 0, 3, 3, 4, 3, 0, 1, 5, 0, 1 })));
    EXPECT_TRUE(picture.bottomUp);
    EXPECT_EQ(picture.data, (Pixels { 1, 1, 1, 2, 3, 4, 3, 5 }));
}

// Forged headers and files cut short are refused without reading past them.
TEST_F(Decoders, ForgedAndCutFilesAreRefused) {
    Bytes pcxNoPalette = PcxHeader(1, 1, 2);
    pcxNoPalette.U8(1).U8(2).U8(3).U8(4);
    Bytes walLevelPastEnd = WalFile(2, 2, 100, 104, { 5, 6, 7, 8 });
    walLevelPastEnd.PutU32(40, 5000);
    Bytes notBm = BmpFile(1, 1, 24, 0, {}, { 0, 0, 0, 0 });
    notBm.bytes[0] = 'X';
    Bytes withPalette[] = { PcxHeader(-1, 0, 1), PcxHeader(16384, 0, 16385), PcxHeader(16000, 16000, 16001),
                            PcxHeader(3, 3, 4, 4) };
    for (Bytes& file : withPalette) PcxPalette(file);
    const struct {
        const char* what;
        Decoder decoder;
        Bytes file;
    } cases[] = {
        { "PCX of width 0", DecodePcxOwnPalette, withPalette[0] },
        { "PCX of width 16385", DecodePcxOwnPalette, withPalette[1] },
        { "PCX larger than 900 bytes can hold", DecodePcxOwnPalette, withPalette[2] },
        { "PCX of four planes", DecodePcxOwnPalette, withPalette[3] },
        { "PCX of three planes larger than 128 bytes of runs make", DecodePcxOwnPalette, PcxHeader(49, 49, 50, 3) },
        { "PCX without its palette", DecodePcxOwnPalette, pcxNoPalette },
        { "PCX cut in its header", DecodePcxDefaultPalette, Cut(pcxNoPalette, 100) },
        { "WAL level past the end", DecodeWal, walLevelPastEnd },
        { "WAL of width 0", DecodeWal, Cut(WalFile(0, 2, 100, 104, { 1, 2, 3, 4 }), 104) },
        { "WAL of width 20000", DecodeWal, Cut(WalFile(20000, 2, 100, 104, { 1, 2, 3, 4 }), 104) },
        { "WAL of 4096 x 4096", DecodeWal, Cut(WalFile(4096, 4096, 100, 104, { 1, 2, 3, 4 }), 104) },
        { "SWL cut in its palette", DecodeSwl, Cut(SwlFile(), 1000) },
        { "TGA grey of 16 bits", DecodeTga, TgaHeader(3, 1, 1, 16).U16(0) },
        { "TGA true colour of 8 bits", DecodeTga, TgaHeader(2, 1, 1, 8).U8(0) },
        { "TGA of type 32", DecodeTga, TgaHeader(32, 1, 1, 8).U8(0) },
        { "TGA true colour with a map", DecodeTga, TgaHeader(2, 1, 1, 24, 0, 0, 1, 24).Fill(6) },
        { "TGA grey with a map", DecodeTga, TgaHeader(3, 1, 1, 8, 0, 0, 1, 24).Fill(4) },
        { "TGA of 16-bit indices", DecodeTga, TgaHeader(1, 1, 1, 16, 0, 0, 1, 24).Fill(5) },
        { "TGA index past the map", DecodeTga, TgaHeader(1, 1, 1, 8, 0, 0, 2, 24).Fill(6).U8(2) },
        { "TGA index below the map's first entry", DecodeTga, TgaHeader(1, 1, 1, 8, 0, 2, 2, 24).Fill(6).U8(1) },
        { "TGA run-length grey larger than 18 bytes make", DecodeTga, TgaHeader(11, 40, 30, 8) },
        { "TGA larger than the file", DecodeTga, TgaHeader(2, 16000, 16000, 24) },
        { "TGA run-length larger than the file", DecodeTga, TgaHeader(10, 16000, 16000, 24) },
        { "TGA cut in its header", DecodeTga, Cut(TgaHeader(2, 1, 1, 24).U8(1).U8(2).U8(3), 10) },
        { "BMP of width 100000", DecodeBmp, BmpFile(100000, 1, 24, 0, {}, { 0, 0, 0, 0 }) },
        { "BMP larger than the file", DecodeBmp, BmpFile(5000, 5000, 24, 0, {}, { 0, 0, 0, 0 }) },
        { "BMP holding a JPEG", DecodeBmp, BmpFile(1, 1, 24, 4, {}, { 0, 0, 0, 0 }) },
        { "BMP without its magic", DecodeBmp, notBm },
        { "BMP cut in its header", DecodeBmp, Cut(BmpFile(1, 1, 24, 0, {}, { 0, 0, 0, 0 }), 20) },
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Decode(c.decoder, c.file)) << c.what;
    }
}

// Files holding bytes enough for what they claim, but claiming more pixels
// than any decoder makes, are refused; runs beyond a row's end cost nothing.
TEST_F(Decoders, HostilePicturesStayWithinThePixelBudget) {
    const uint16_t wide = 4097, high = 4096;  // one row more than the budget
    const size_t pixels = size_t(wide) * high;
    Bytes pcx = PcxHeader(wide - 1, high - 1, wide).Fill(pixels / 32);
    Bytes swl = SwlFile().Fill(pixels);
    swl.PutU32(64, wide).PutU32(68, high).PutU32(1104, uint32_t(1236 + pixels));
    std::vector<uint8_t> runs(48 << 20, 1);  // runs of 255 of index 1 on a row of one
    for (size_t i = 0; i < runs.size(); i += 2) runs[i] = 255;
    const struct {
        const char* what;
        Decoder decoder;
        Bytes file;
        bool decodes;
    } cases[] = {
        { "PCX", DecodePcxOwnPalette, PcxPalette(pcx), false },
        { "PCX of three planes", DecodePcxDefaultPalette, PcxHeader(wide - 1, high - 1, wide, 3).Fill(pixels / 11),
          false },
        { "WAL", DecodeWal, WalFile(wide, high, 100, uint32_t(100 + pixels), std::vector<uint8_t>(pixels)), false },
        { "SWL", DecodeSwl, swl, false },
        { "TGA run-length 32-bit", DecodeTga, TgaHeader(10, wide, high, 32).Fill(pixels / 26), false },
        { "TGA run-length grey", DecodeTga, TgaHeader(11, wide, high, 8).Fill(pixels / 64), false },
        { "BMP run-length", DecodeBmp, BmpFile(wide, high, 8, 1, { 0 }, std::vector<uint8_t>(pixels / 128)), false },
        { "BMP of 24 bits", DecodeBmp, BmpFile(wide, high, 24, 0, {}, std::vector<uint8_t>(pixels)), false },
        { "BMP of runs claiming 6 billion pixels on one", DecodeBmp, BmpFile(1, 1, 8, 1, { 0, 0xFFFFFF }, runs),
          true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Processor time: other processes on the machine do not count.
        const std::clock_t start = std::clock();
        EXPECT_EQ(Decode(c.decoder, c.file), c.decodes);
        EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 2.0);
    }
    EXPECT_EQ(picture.data, (Pixels { 1 }));
}
