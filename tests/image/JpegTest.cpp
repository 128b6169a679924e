#include <gtest/gtest.h>

#include <vector>

#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"
#include "support/TestJpeg.h"

TEST(Jpeg, DecodesAsTheLibraryDoesThroughTheGammaTable) {
    const std::vector<uint8_t> file = EncodeTestJpeg(24, 10, 3);
    const std::vector<uint8_t> reference = DecodeWithJpegLibrary(file);

    ApplyGamma(1.0f);
    SourcePicture picture;
    JpegComplaint complaint;
    ASSERT_TRUE(DecodeJpeg(file.data(), file.size(), picture, complaint));
    EXPECT_EQ(picture.width, 24);
    EXPECT_EQ(picture.height, 10);
    EXPECT_FALSE(picture.bottomUp);
    EXPECT_EQ(picture.data, reference);

    ApplyGamma(0.5f);
    SourcePicture brighter;
    ASSERT_TRUE(DecodeJpeg(file.data(), file.size(), brighter, complaint));
    for (size_t i = 0; i < reference.size(); i++) {
        ASSERT_EQ(brighter.data[i], gammaTable[reference[i]]) << i;
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
