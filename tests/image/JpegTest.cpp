#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "image/COGLImage.h"
#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"
#include "support/TestJpeg.h"

// Fitting the picture, scaled or not, puts the library's colours through
// the gamma table.
TEST(Jpeg, DecodesAsTheLibraryDoesAndFitsThroughTheGammaTable) {
    const std::vector<uint8_t> file = EncodeTestJpeg(24, 10, 3);
    const std::vector<uint8_t> reference = DecodeWithJpegLibrary(file);
    ApplyGamma(0.5f);
    LoadMessages messages;
    COGLImage whole;
    ASSERT_TRUE(whole.DecodeEntry("a.jpg", file, false, false, messages));
    ASSERT_EQ(whole.pixels.size(), reference.size());
    for (size_t i = 0; i < reference.size(); i++) {
        const size_t row = 9 - i / 72;  // stored bottom row first
        ASSERT_EQ(whole.pixels[row * 72 + i % 72], gammaTable[reference[i]]) << i;
    }
    // Fitted to 16 x 8, the first pixel stored is the source's bottom left.
    COGLImage fitted;
    ASSERT_TRUE(fitted.DecodeEntry("a.jpg", file, true, false, messages));
    ASSERT_EQ(fitted.width, 16);
    for (size_t c = 0; c < 3; c++) {
        EXPECT_EQ(fitted.pixels[c], gammaTable[reference[9 * 72 + c]]);
    }
    ApplyGamma(1.0f);
}

TEST(Jpeg, GreyscaleIsRefusedSilentlyBrokenFilesWithTheLibrarysMessageAndCutFilesDecode) {
    const std::vector<uint8_t> grey = EncodeTestJpeg(8, 8, 1);
    SourcePicture picture;
    JpegComplaint complaint;
    EXPECT_FALSE(DecodeJpeg(grey.data(), grey.size(), picture, complaint));
    EXPECT_TRUE(complaint.notRgb);
    EXPECT_TRUE(complaint.libraryMessage.empty());

    const std::vector<uint8_t> garbage = { 0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 'x', 'y' };
    JpegComplaint broken;
    EXPECT_FALSE(DecodeJpeg(garbage.data(), garbage.size(), picture, broken));
    EXPECT_FALSE(broken.libraryMessage.empty());
    EXPECT_TRUE(picture.data.empty());

    JpegComplaint notJpeg;
    const std::vector<uint8_t> text = { 'h', 'e', 'l', 'l', 'o' };
    EXPECT_FALSE(DecodeJpeg(text.data(), text.size(), picture, notJpeg));
    EXPECT_NE(notJpeg.libraryMessage.find("JPEG"), std::string::npos) << notJpeg.libraryMessage;

    std::vector<uint8_t> cut = EncodeTestJpeg(32, 32, 3);
    cut.resize(cut.size() * 2 / 3);  // a file cut short still decodes
    EXPECT_TRUE(DecodeJpeg(cut.data(), cut.size(), picture, complaint));
    EXPECT_EQ(picture.width, 32);
}

// Files that claim more than a texture could use: within the budget after
// the library scales them at decode, or refused; never the memory or time
// the claim would take.
TEST(Jpeg, HostileFilesStayWithinThePixelBudget) {
    const TestJpegKind flat = { true, false, false };
    const TestJpegKind progressive = { true, true, false };
    const TestJpegKind arithmetic = { true, false, true };
    // Bytes after the end of the image make a small file large enough to be
    // believed; the library never reads them.
    auto padded = [](std::vector<uint8_t> file, size_t size) {
        file.resize(size);
        return file;
    };
    const std::vector<uint8_t> wide = EncodeTestJpeg(16384, 1032, 3, flat);
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        int width;   // 0: refused
        int height;
        bool libraryMessage;
    } cases[] = {
        { "16384 x 1032: half size", wide, 8192, 516, false },
        { "a header claiming 16384 x 16384: quarter size",
          padded(ClaimJpegSize(EncodeTestJpeg(16, 16, 3, flat), 16384, 16384), 70000), 4096, 4096, false },
        { "progressive, claiming 16384 x 16384: more than the library may hold",
          padded(ClaimJpegSize(EncodeTestJpeg(16, 16, 3, progressive), 16384, 16384), 70000), 0, 0, true },
        { "progressive of 110 scans", RepeatLastJpegScan(EncodeTestJpeg(16, 16, 3, progressive), 100), 0, 0, false },
        { "arithmetic-coded, 17 MB", padded(EncodeTestJpeg(16, 16, 3, arithmetic), 17 << 20), 0, 0, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SourcePicture picture;
        JpegComplaint complaint;
        EXPECT_EQ(DecodeJpeg(c.file.data(), c.file.size(), picture, complaint), c.width != 0);
        EXPECT_EQ(picture.width, c.width);
        EXPECT_EQ(picture.height, c.height);
        EXPECT_EQ(picture.data.size(), size_t(c.width) * size_t(c.height) * 3);
        EXPECT_EQ(complaint.libraryMessage.empty(), !c.libraryMessage) << complaint.libraryMessage;
    }

    // Scaled, the picture keeps its colour, and the size its file gives.
    ApplyGamma(1.0f);
    LoadMessages messages;
    COGLImage scaled;
    ASSERT_TRUE(scaled.DecodeEntry("wide.jpg", wide, true, false, messages));
    EXPECT_EQ(scaled.sourceWidth, 16384);
    EXPECT_EQ(scaled.sourceHeight, 1032);
    EXPECT_EQ(scaled.width, 256);
    EXPECT_NEAR(scaled.pixels[0], 200, 2);
    EXPECT_NEAR(scaled.pixels[1], 60, 2);
    EXPECT_NEAR(scaled.pixels[2], 30, 2);
}
