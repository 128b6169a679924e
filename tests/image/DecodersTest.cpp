#include <gtest/gtest.h>

#include "image/GamePalettes.h"
#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"
#include "support/Bytes.h"

namespace {

class Decoders : public ::testing::Test {
protected:
    void SetUp() override { ApplyGamma(1.0f); }
    void TearDown() override { ApplyGamma(1.0f); }

    static std::vector<uint8_t> Rgba(const SourcePicture& picture, int x, int y) {
        uint8_t c[4];
        picture.ColorAt(x, y, c);
        return { c[0], c[1], c[2], c[3] };
    }
    static std::vector<uint8_t> Rgb(const SourcePicture& picture, int x, int y) {
        std::vector<uint8_t> c = Rgba(picture, x, y);
        c.pop_back();
        return c;
    }

    SourcePicture picture;
};

// An 8-bit, one-plane PCX header with the given maximum coordinates.
Bytes PcxHeader(int16_t xmax, int16_t ymax, uint16_t bytesPerLine, uint8_t planes = 1) {
    Bytes b;
    b.U8(10).U8(5).U8(1).U8(8);           // maker, version, run-length, 8 bits
    b.U16(0).U16(0).U16(static_cast<uint16_t>(xmax)).U16(static_cast<uint16_t>(ymax));
    b.Fill(65 - b.Size());
    b.U8(planes).U16(bytesPerLine);
    b.Fill(128 - b.Size());
    return b;
}

// A palette whose entry i is (i, 255 - i, i / 2).
Bytes PcxPalette() {
    Bytes b;
    b.U8(0x0C);
    for (int i = 0; i < 256; i++) {
        b.U8(static_cast<uint8_t>(i)).U8(static_cast<uint8_t>(255 - i)).U8(static_cast<uint8_t>(i / 2));
    }
    return b;
}

}  // namespace

TEST_F(Decoders, PcxRunsAcrossRowsWithItsOwnPalette) {
    Bytes file = PcxHeader(3, 1, 4);
    file.U8(0xC3).U8(7);   // three 7s
    file.U8(0xC0).U8(99);  // a run of 0: the value is consumed, nothing stored
    file.U8(0xC3).U8(9);   // runs on into the second row
    file.U8(0xFF).U8(5);   // 63 more asked for; only the 2 left are stored
    file.Raw(PcxPalette().bytes.data(), PcxPalette().Size());
    ASSERT_TRUE(DecodePcx(file.bytes.data(), file.Size(), false, picture));
    ASSERT_EQ(picture.width, 4);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 7, 7, 7, 9, 9, 9, 5, 5 }));
    EXPECT_EQ(Rgb(picture, 0, 0), (std::vector<uint8_t>{ 7, 248, 3 }));
    EXPECT_FALSE(picture.bottomUp);
    EXPECT_FALSE(picture.transparent);
}

TEST_F(Decoders, PcxIndex255MakesItTransparentWithTheGammaCorrectedKey) {
    ApplyGamma(0.5f);
    Bytes file = PcxHeader(1, 0, 2);
    file.U8(0xC1).U8(255).U8(3);
    file.Raw(PcxPalette().bytes.data(), PcxPalette().Size());
    ASSERT_TRUE(DecodePcx(file.bytes.data(), file.Size(), false, picture));
    EXPECT_TRUE(picture.transparent);
    EXPECT_EQ(picture.keyColor[0], gammaTable[255]);
    EXPECT_EQ(picture.keyColor[1], gammaTable[0]);
    EXPECT_EQ(picture.keyColor[2], gammaTable[127]);
}

TEST_F(Decoders, PcxHonoursPaddedScanLines) {
    // Width 3 in lines of 4: the fourth byte of each line is padding.
    Bytes file = PcxHeader(2, 1, 4);
    file.U8(1).U8(2).U8(3).U8(0x11);
    file.U8(4).U8(5).U8(6).U8(0x11);
    file.Raw(PcxPalette().bytes.data(), PcxPalette().Size());
    ASSERT_TRUE(DecodePcx(file.bytes.data(), file.Size(), false, picture));
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 1, 2, 3, 4, 5, 6 }));
}

TEST_F(Decoders, PcxWithTheDefaultPaletteNeedsNoPaletteOfItsOwn) {
    LoadDefaultPaletteFrom("/nonexistent/quake2.pal");  // falls back to Quake II
    Bytes file = PcxHeader(1, 0, 2);
    file.U8(16).U8(0xC1).U8(208);  // 208 has both top bits: it must be a run
    ASSERT_TRUE(DecodePcx(file.bytes.data(), file.Size(), true, picture));
    EXPECT_EQ(Rgb(picture, 0, 0), (std::vector<uint8_t>{ 99, 75, 35 }));
    EXPECT_EQ(Rgb(picture, 1, 0), (std::vector<uint8_t>{ 0, 255, 0 }));
}

TEST_F(Decoders, PcxRefusesForgedHeaders) {
    const Bytes palette = PcxPalette();
    auto refuses = [&](Bytes file) {
        file.Raw(palette.bytes.data(), palette.Size());
        SourcePicture out;
        return !DecodePcx(file.bytes.data(), file.Size(), false, out);
    };
    EXPECT_TRUE(refuses(PcxHeader(-1, 0, 1)));            // width 0
    EXPECT_TRUE(refuses(PcxHeader(16384, 0, 16385)));      // width 16385
    EXPECT_TRUE(refuses(PcxHeader(16000, 16000, 16001)));  // far more than 900 bytes can hold
    EXPECT_TRUE(refuses(PcxHeader(3, 3, 4, 3)));           // 24-bit, three planes
    Bytes noPalette = PcxHeader(1, 1, 2);
    noPalette.U8(1).U8(2).U8(3).U8(4);
    EXPECT_FALSE(DecodePcx(noPalette.bytes.data(), noPalette.Size(), false, picture));
    EXPECT_FALSE(DecodePcx(noPalette.bytes.data(), 100, true, picture));
}

namespace {

Bytes WalFile(uint32_t width, uint32_t height, uint32_t offset0, uint32_t offset1, std::vector<uint8_t> indices) {
    Bytes b;
    b.Field("e1u1/floor", 32).U32(width).U32(height).U32(offset0).U32(offset1);
    b.Fill(offset0 - b.Size());
    b.Raw(indices.data(), indices.size());
    return b;
}

}  // namespace

TEST_F(Decoders, WalReadsTheFirstMipLevelWithTheQuake2Palette) {
    const Bytes file = WalFile(2, 2, 100, 104, { 16, 208, 255, 0, 1, 1, 1, 1 });
    ASSERT_TRUE(DecodeWal(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 16, 208, 255, 0 }));
    EXPECT_EQ(Rgb(picture, 0, 0), (std::vector<uint8_t>{ 99, 75, 35 }));
    EXPECT_TRUE(picture.transparent);
    EXPECT_EQ(picture.keyColor[0], quake2Palette[3 * 255]);
}

TEST_F(Decoders, WalOffsetsThatDoNotAddUp) {
    // The level claims fewer bytes than the picture has: the rest is zero.
    Bytes file = WalFile(2, 2, 100, 102, { 5, 6, 7, 8 });
    ASSERT_TRUE(DecodeWal(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 5, 6, 0, 0 }));
    // The second offset before the first reads nothing.
    file = WalFile(2, 2, 100, 50, { 5, 6, 7, 8 });
    ASSERT_TRUE(DecodeWal(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 0, 0, 0, 0 }));
    // A level starting past the end, and sides of 0 or absurd size.
    file = WalFile(2, 2, 100, 104, { 5, 6, 7, 8 });
    file.PutU32(40, 5000);
    EXPECT_FALSE(DecodeWal(file.bytes.data(), file.Size(), picture));
    EXPECT_FALSE(DecodeWal(WalFile(0, 2, 100, 104, { 1, 2, 3, 4 }).bytes.data(), 104, picture));
    EXPECT_FALSE(DecodeWal(WalFile(20000, 2, 100, 104, { 1, 2, 3, 4 }).bytes.data(), 104, picture));
    EXPECT_FALSE(DecodeWal(WalFile(4096, 4096, 100, 104, { 1, 2, 3, 4 }).bytes.data(), 104, picture));
}

TEST_F(Decoders, SwlIndex63IsTransparentAtAnyGamma) {
    ApplyGamma(0.5f);
    Bytes file;
    file.Field("textures/sin/wall", 64).U32(2).U32(1);
    for (int i = 0; i < 256; i++) {
        file.U8(static_cast<uint8_t>(i)).U8(10).U8(20).U8(i == 63 ? 128 : 255);
    }
    file.U32(0).U32(1236).U32(1238);
    file.Fill(1236 - file.Size());
    file.U8(63).U8(64);
    ASSERT_TRUE(DecodeSwl(file.bytes.data(), file.Size(), picture));
    EXPECT_TRUE(picture.transparent);
    EXPECT_EQ(picture.keyColor[0], gammaTable[63]);
    EXPECT_EQ(picture.keyColor[1], gammaTable[10]);
    EXPECT_EQ(Rgba(picture, 1, 0), (std::vector<uint8_t>{ gammaTable[64], gammaTable[10], gammaTable[20], 255 }));
    EXPECT_FALSE(DecodeSwl(file.bytes.data(), 1000, picture));
}

namespace {

Bytes TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor = 0,
                uint8_t mapType = 0, uint16_t mapLength = 0, uint8_t mapBits = 0, uint8_t idLength = 0) {
    Bytes b;
    b.U8(idLength).U8(mapType).U8(type).U16(0).U16(mapLength).U8(mapBits);
    b.U16(0).U16(0).U16(width).U16(height).U8(bits).U8(descriptor);
    b.Fill(idLength, 'i');
    return b;
}

}  // namespace

TEST_F(Decoders, Tga32KeepsItsAlphaOutOfTheGamma) {
    ApplyGamma(0.5f);
    Bytes file = TgaHeader(2, 1, 1, 32);
    file.U8(40).U8(50).U8(60).U8(70);
    ASSERT_TRUE(DecodeTga(file.bytes.data(), file.Size(), picture));
    EXPECT_TRUE(picture.transparent);
    EXPECT_TRUE(picture.hasAlpha);
    EXPECT_EQ(Rgba(picture, 0, 0), (std::vector<uint8_t>{ gammaTable[60], gammaTable[50], gammaTable[40], 70 }));
}

TEST_F(Decoders, TgaRunLengthPacketsCrossRowEnds) {
    Bytes file = TgaHeader(10, 3, 2, 24);
    file.U8(0x83).U8(1).U8(2).U8(3);                  // four of one pixel: a row and one more
    file.U8(0x01).U8(4).U8(5).U8(6).U8(7).U8(8).U8(9);  // two literal pixels
    file.U8(0x85).U8(0).U8(0).U8(0);                  // past the top row: ignored
    ASSERT_TRUE(DecodeTga(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(Rgb(picture, 2, 1), (std::vector<uint8_t>{ 3, 2, 1 }));  // bottom row
    EXPECT_EQ(Rgb(picture, 0, 0), (std::vector<uint8_t>{ 3, 2, 1 }));  // first of the top row
    EXPECT_EQ(Rgb(picture, 1, 0), (std::vector<uint8_t>{ 6, 5, 4 }));
    EXPECT_EQ(Rgb(picture, 2, 0), (std::vector<uint8_t>{ 9, 8, 7 }));
}

TEST_F(Decoders, TgaColourMapped) {
    Bytes file = TgaHeader(1, 2, 1, 8, 0, 1, 2, 24);
    file.U8(10).U8(20).U8(30).U8(40).U8(50).U8(60);  // two B G R entries
    file.U8(1).U8(0);
    ASSERT_TRUE(DecodeTga(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(Rgb(picture, 0, 0), (std::vector<uint8_t>{ 60, 50, 40 }));
    EXPECT_EQ(Rgb(picture, 1, 0), (std::vector<uint8_t>{ 30, 20, 10 }));

    // 16-bit entries are 5-5-5; a map longer than 256 entries is skipped past.
    Bytes sixteen = TgaHeader(1, 1, 1, 8, 0, 1, 300, 16);
    sixteen.U16(0x7C00);  // pure red
    sixteen.Fill(299 * 2);
    sixteen.U8(0);
    ASSERT_TRUE(DecodeTga(sixteen.bytes.data(), sixteen.Size(), picture));
    EXPECT_EQ(Rgb(picture, 0, 0), (std::vector<uint8_t>{ 255, 0, 0 }));
}

TEST_F(Decoders, TgaRefusals) {
    const Bytes grey = TgaHeader(3, 1, 1, 8);
    const Bytes cases[] = { grey, TgaHeader(2, 1, 1, 16), TgaHeader(2, 1, 1, 24, 0, 1),  // grey, 16-bit, mapped true colour
                            TgaHeader(2, 16000, 16000, 24), TgaHeader(10, 16000, 16000, 24) };
    for (const Bytes& file : cases) {
        EXPECT_FALSE(DecodeTga(file.bytes.data(), file.Size(), picture)) << &file - cases;
    }
    EXPECT_FALSE(DecodeTga(grey.bytes.data(), 10, picture));
}

namespace {

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
    b.Raw(pixels.data(), pixels.size());
    return b;
}

}  // namespace

TEST_F(Decoders, BmpEightBitWithPaddedRowsAndNoGamma) {
    ApplyGamma(0.5f);
    // 3 x 2, rows of 3 indices padded to 4, bottom row first.
    const Bytes file = BmpFile(3, 2, 8, 0, { 0x000000, 0xFF8000, 0x0000FF },
                               { 1, 2, 0, 0xEE, 2, 2, 1, 0xEE });
    ASSERT_TRUE(DecodeBmp(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(Rgb(picture, 0, 1), (std::vector<uint8_t>{ 255, 128, 0 }));  // bottom left
    EXPECT_EQ(Rgb(picture, 2, 0), (std::vector<uint8_t>{ 255, 128, 0 }));  // top right
    EXPECT_EQ(Rgb(picture, 1, 1), (std::vector<uint8_t>{ 0, 0, 255 }));
}

TEST_F(Decoders, BmpTopDownAndSubByteDepths) {
    // 24-bit top-down: B, G, R per pixel, rows padded to 4 bytes.
    Bytes file = BmpFile(1, -2, 24, 0, {}, { 1, 2, 3, 0, 4, 5, 6, 0 });
    ASSERT_TRUE(DecodeBmp(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(Rgb(picture, 0, 0), (std::vector<uint8_t>{ 3, 2, 1 }));
    EXPECT_EQ(Rgb(picture, 0, 1), (std::vector<uint8_t>{ 6, 5, 4 }));
    // 1-bit: the highest bit is the leftmost pixel.
    file = BmpFile(3, 1, 1, 0, { 0x000000, 0xFFFFFF }, { 0xA0, 0, 0, 0 });
    ASSERT_TRUE(DecodeBmp(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 1, 0, 1 }));
    // 4-bit: high nibble first.
    file = BmpFile(3, 1, 4, 0, { 0, 0x010101, 0x020202 }, { 0x12, 0x00, 0, 0 });
    ASSERT_TRUE(DecodeBmp(file.bytes.data(), file.Size(), picture));
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 1, 2, 0 }));
}

TEST_F(Decoders, BmpRunLength8) {
    // 4 x 2: a run of three 1s and a literal 2 on the bottom row; end of
    // line; an absolute run of 3 (padded to 4 bytes) then a run of one 5.
    const Bytes file = BmpFile(4, 2, 8, 1, { 0, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555 },
                               { 3, 1, 1, 2, 0, 0, 0, 3, 3, 4, 3, 0, 1, 5, 0, 1 });
    ASSERT_TRUE(DecodeBmp(file.bytes.data(), file.Size(), picture));
    EXPECT_TRUE(picture.bottomUp);
    EXPECT_EQ(picture.data, (std::vector<uint8_t>{ 1, 1, 1, 2, 3, 4, 3, 5 }));
}

TEST_F(Decoders, BmpRefusals) {
    Bytes notBm = BmpFile(1, 1, 24, 0, {}, { 0, 0, 0, 0 });
    notBm.bytes[0] = 'X';
    const Bytes cases[] = { BmpFile(100000, 1, 24, 0, {}, { 0, 0, 0, 0 }), BmpFile(5000, 5000, 24, 0, {}, { 0, 0, 0, 0 }),
                            BmpFile(1, 1, 24, 4, {}, { 0, 0, 0, 0 }),  // embedded JPEG
                            notBm };
    for (const Bytes& file : cases) {
        EXPECT_FALSE(DecodeBmp(file.bytes.data(), file.Size(), picture)) << &file - cases;
    }
    EXPECT_FALSE(DecodeBmp(notBm.bytes.data(), 20, picture));
}
