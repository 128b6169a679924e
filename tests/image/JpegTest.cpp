#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "image/COGLImage.h"
#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"
#include "support/TestJpeg.h"

// The decoder leaves the library's colours; fitting the picture, scaled or
// not, puts them through the gamma table.
TEST(Jpeg, DecodesAsTheLibraryDoesAndFitsThroughTheGammaTable) {
    const std::vector<uint8_t> file = EncodeTestJpeg(24, 10, 3);
    const std::vector<uint8_t> reference = DecodeWithJpegLibrary(file);

    ApplyGamma(0.5f);
    SourcePicture picture;
    JpegComplaint complaint;
    ASSERT_TRUE(DecodeJpeg(file.data(), file.size(), picture, complaint));
    EXPECT_EQ(picture.width, 24);
    EXPECT_EQ(picture.height, 10);
    EXPECT_FALSE(picture.bottomUp);
    EXPECT_EQ(picture.data, reference);

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

TEST(Jpeg, GreyscaleIsRefusedSilentlyAndBrokenFilesWithTheLibrarysMessage) {
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
}

TEST(Jpeg, ATruncatedFileStillDecodes) {
    std::vector<uint8_t> file = EncodeTestJpeg(32, 32, 3);
    file.resize(file.size() * 2 / 3);
    SourcePicture picture;
    JpegComplaint complaint;
    EXPECT_TRUE(DecodeJpeg(file.data(), file.size(), picture, complaint));
    EXPECT_EQ(picture.width, 32);
}
