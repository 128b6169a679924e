#include <gtest/gtest.h>

#include <ctime>

#include "image/GamePalettes.h"
#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"
#include "support/PictureFiles.h"

namespace {

using Decoder = bool (*)(const uint8_t*, size_t, SourcePicture&);
using Pixels = std::vector<uint8_t>;

bool DecodePcxOwnPalette(const uint8_t* data, size_t size, SourcePicture& out) { return DecodePcx(data, size, false, out); }
bool DecodePcxDefaultPalette(const uint8_t* data, size_t size, SourcePicture& out) { return DecodePcx(data, size, true, out); }

class Decoders : public ::testing::Test {
protected:
    void SetUp() override { ApplyGamma(0.5f); }
    void TearDown() override { ApplyGamma(1.0f); }

    bool Decode(Decoder decoder, const Bytes& file) { return decoder(file.bytes.data(), file.Size(), picture); }
    // Every pixel's R, G, B, A, top row first.
    Pixels AllRgba() const {
        Pixels all;
        for (int y = 0; y < picture.height; y++) {
            for (int x = 0; x < picture.width; x++) {
                uint8_t c[4];
                picture.ColorAt(x, y, c);
                all.insert(all.end(), c, c + 4);
            }
        }
        return all;
    }

    SourcePicture picture;
};

// A colour as it leaves the gamma table, which every test here sets to 0.5.
Pixels Lit(int r, int g, int b, int a = 255) { return { gammaTable[r], gammaTable[g], gammaTable[b], uint8_t(a) }; }
Pixels Grey(int v) { return Lit(v, v, v); }
Pixels Join(std::initializer_list<Pixels> parts) {
    Pixels all;
    for (const Pixels& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}
// A PCX colour of PcxPalette, without alpha.
Pixels PcxRgb(int i) { return { gammaTable[i], gammaTable[255 - i], gammaTable[i / 2] }; }
Pixels Quake2Rgb(int i) { return Pixels(quake2PaletteTable[i], quake2PaletteTable[i] + 3); }

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

Bytes Cut(const Bytes& file, size_t size) {
    Bytes cut;
    return cut.Raw(file.bytes.data(), size);
}

}  // namespace

// Palette pictures: the indices as stored, the top-left colour (which shows
// the row order) and the key colour of index 255 (63 in SiN), gamma-corrected
// except in BMP.
TEST_F(Decoders, IndexedPictures) {
    LoadDefaultPaletteFrom("/nonexistent/quake2.pal");  // falls back to Quake II
    const struct {
        const char* what;
        Decoder decoder;
        Bytes file;
        int width;
        Pixels indices;
        Pixels topLeft;  // R, G, B (A where given); empty: not checked
        Pixels key;      // empty: not transparent
    } cases[] = {
        { "PCX runs across rows: a run of 0 stores nothing, a run past the end stops there", DecodePcxOwnPalette,
          PcxPalette(PcxHeader(3, 1, 4).U8(0xC3).U8(7).U8(0xC0).U8(99).U8(0xC3).U8(9).U8(0xFF).U8(5)),
          4, { 7, 7, 7, 9, 9, 9, 5, 5 }, PcxRgb(7), {} },
        { "PCX of width 3 in lines of 4", DecodePcxOwnPalette,
          PcxPalette(PcxHeader(2, 1, 4).U8(1).U8(2).U8(3).U8(0x11).U8(4).U8(5).U8(6).U8(0x11)),
          3, { 1, 2, 3, 4, 5, 6 }, PcxRgb(1), {} },
        { "PCX with index 255", DecodePcxOwnPalette, PcxPalette(PcxHeader(1, 0, 2).U8(0xC1).U8(255).U8(3)),
          2, { 255, 3 }, PcxRgb(255), PcxRgb(255) },
        { "PCX with the default palette: 208 has both top bits, so it must be a run", DecodePcxDefaultPalette,
          PcxHeader(1, 0, 2).U8(16).U8(0xC1).U8(208), 2, { 16, 208 }, Quake2Rgb(16), {} },
        { "WAL: the first mip level, Quake II palette", DecodeWal, WalFile(2, 2, 100, 104, { 16, 208, 255, 0, 1, 1, 1, 1 }),
          2, { 16, 208, 255, 0 }, Quake2Rgb(16), Quake2Rgb(255) },
        { "WAL level claiming fewer bytes than the picture: the rest is zero", DecodeWal,
          WalFile(2, 2, 100, 102, { 5, 6, 7, 8 }), 2, { 5, 6, 0, 0 }, {}, {} },
        { "WAL second offset before the first: nothing read", DecodeWal, WalFile(2, 2, 100, 50, { 5, 6, 7, 8 }),
          2, { 0, 0, 0, 0 }, {}, {} },
        { "SWL: index 63 is the key, alpha passes untouched", DecodeSwl, SwlFile(), 2, { 63, 64 },
          { gammaTable[63], gammaTable[10], gammaTable[20], 128 }, { gammaTable[63], gammaTable[10], gammaTable[20] } },
        { "BMP of 8 bits: rows padded to 4 bytes, bottom row first, no gamma", DecodeBmp,
          BmpFile(3, 2, 8, 0, { 0x000000, 0xFF8000, 0x0000FF }, { 1, 2, 0, 0xEE, 2, 2, 1, 0xEE }),
          3, { 1, 2, 0, 2, 2, 1 }, { 0, 0, 255 }, {} },
        { "BMP of 1 bit: the highest bit is the leftmost pixel", DecodeBmp,
          BmpFile(3, 1, 1, 0, { 0x000000, 0xFFFFFF }, { 0xA0, 0, 0, 0 }), 3, { 1, 0, 1 }, { 255, 255, 255 }, {} },
        { "BMP of 4 bits: high nibble first", DecodeBmp, BmpFile(3, 1, 4, 0, { 0, 0x010101, 0x020202 }, { 0x12, 0, 0, 0 }),
          3, { 1, 2, 0 }, { 1, 1, 1 }, {} },
        // A run of three 1s and a literal 2; end of line; an absolute run of 3
        // (padded to 4 bytes), then a run of one 5.
        { "BMP run-length", DecodeBmp,
          BmpFile(4, 2, 8, 1, { 0, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555 },
                  { 3, 1, 1, 2, 0, 0, 0, 3, 3, 4, 3, 0, 1, 5, 0, 1 }),
          4, { 1, 1, 1, 2, 3, 4, 3, 5 }, { 0x33, 0x33, 0x33 }, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        picture = SourcePicture();  // a decoder is given a fresh one
        ASSERT_TRUE(Decode(c.decoder, c.file));
        EXPECT_EQ(picture.width, c.width);
        EXPECT_EQ(picture.data, c.indices);
        if (!c.topLeft.empty()) {
            uint8_t rgba[4];
            picture.ColorAt(0, 0, rgba);
            EXPECT_EQ(Pixels(rgba, rgba + c.topLeft.size()), c.topLeft);
        }
        EXPECT_EQ(picture.transparent, !c.key.empty());
        if (!c.key.empty()) {
            EXPECT_EQ(Pixels(picture.keyColor, picture.keyColor + 3), c.key);
        }
    }
}

// Direct colour: orientation, colour maps from their first entry, run
// packets across row ends, five-bit colour with its attribute bit, grey;
// colours pass the gamma, alpha does not, and BMP keeps its bytes.
TEST_F(Decoders, DirectColourPictures) {
    const uint8_t red16[] = { 0x00, 0x7C }, green16[] = { 0xE0, 0x03 }, blue16[] = { 0x1F, 0x00 };
    const Pixels red = Lit(255, 0, 0), green = Lit(0, 255, 0), blue = Lit(0, 0, 255);
    const struct {
        const char* what;
        Decoder decoder;
        Bytes file;
        bool hasAlpha;
        Pixels rgba;
    } cases[] = {
        // 2 x 2 in plane lines of 3 bytes: the first run fills red's padding,
        // then two greens; green's padding, blue; one run for the second row.
        { "PCX of three planes", DecodePcxDefaultPalette,
          PcxHeader(1, 1, 3, 3).U8(10).U8(20).U8(0xC3).U8(30).U8(0).U8(50).U8(60).U8(0).U8(0xC9).U8(70),
          false, Join({ Lit(10, 30, 50), Lit(20, 30, 60), Grey(70), Grey(70) }) },
        { "TGA of 32 bits", DecodeTga, TgaHeader(2, 1, 1, 32).U8(40).U8(50).U8(60).U8(70), true, Lit(60, 50, 40, 70) },
        { "TGA run-length 24-bit, a packet across a row end", DecodeTga,
          TgaHeader(10, 3, 2, 24)
              .U8(0x83).U8(1).U8(2).U8(3)                     // four of one pixel: the bottom row and one more
              .U8(0x01).U8(4).U8(5).U8(6).U8(7).U8(8).U8(9)   // two literal pixels
              .U8(0x85).U8(0).U8(0).U8(0),                    // past the top row: ignored
          false, Join({ Lit(3, 2, 1), Lit(6, 5, 4), Lit(9, 8, 7), Lit(3, 2, 1), Lit(3, 2, 1), Lit(3, 2, 1) }) },
        { "TGA colour-mapped from entry 2, top row first", DecodeTga,
          TgaHeader(1, 1, 2, 8, 0x20, 2, 2, 24).U8(10).U8(20).U8(30).U8(40).U8(50).U8(60).U8(3).U8(2),
          false, Join({ Lit(60, 50, 40), Lit(30, 20, 10) }) },
        { "TGA colour map of 5-5-5 entries longer than 256", DecodeTga,
          TgaHeader(1, 1, 1, 8, 0, 0, 300, 16).Raw(red16, 2).Fill(299 * 2).U8(0), false, red },
        { "TGA run-length colour-mapped", DecodeTga,
          TgaHeader(9, 3, 2, 8, 0, 0, 2, 16).Raw(red16, 2).Raw(green16, 2).U8(0x83).U8(1).U8(0x01).U8(0).U8(1),
          false, Join({ green, red, green, green, green, green }) },
        { "TGA grey, bottom row first", DecodeTga, TgaHeader(3, 2, 2, 8).U8(0).U8(50).U8(100).U8(255),
          false, Join({ Grey(100), Grey(255), Grey(0), Grey(50) }) },
        { "TGA run-length grey, a packet across a row end", DecodeTga, TgaHeader(11, 2, 2, 8).U8(0x82).U8(7).U8(0x00).U8(9),
          false, Join({ Grey(7), Grey(9), Grey(7), Grey(7) }) },
        { "TGA of 16 bits whose attribute bit is alpha", DecodeTga, TgaHeader(2, 2, 1, 16, 1).U16(0xFC00).U16(0x0210),
          true, Join({ Lit(255, 0, 0, 255), Lit(0, 132, 132, 0) }) },
        { "TGA of 15 bits: bit 15 is no alpha", DecodeTga, TgaHeader(2, 1, 1, 15).U16(0x801F), false, blue },
        { "TGA run-length 16-bit", DecodeTga,
          TgaHeader(10, 2, 2, 16).U8(0x81).Raw(red16, 2).U8(0x01).Raw(blue16, 2).Raw(green16, 2),
          false, Join({ blue, green, red, red }) },
        { "BMP of 24 bits top-down: B, G, R, rows padded to 4 bytes", DecodeBmp,
          BmpFile(1, -2, 24, 0, {}, { 1, 2, 3, 0, 4, 5, 6, 0 }), false, { 3, 2, 1, 255, 6, 5, 4, 255 } },
        { "BMP of 16 bits: 5-5-5, red highest", DecodeBmp, BmpFile(2, 1, 16, 0, {}, { 0x00, 0x7C, 0x1F, 0x00 }),
          false, { 255, 0, 0, 255, 0, 0, 255, 255 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        picture = SourcePicture();  // a decoder is given a fresh one
        ASSERT_TRUE(Decode(c.decoder, c.file));
        EXPECT_EQ(picture.hasAlpha, c.hasAlpha);
        EXPECT_EQ(picture.transparent, c.hasAlpha);
        EXPECT_EQ(AllRgba(), c.rgba);
    }
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
        { "BMP run-length top-down", DecodeBmp, BmpFile(1, -1, 8, 1, { 0 }, { 1, 0, 0, 1 }) },
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
