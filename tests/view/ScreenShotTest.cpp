#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "diag/CDiagnostics.h"
#include "support/Bytes.h"
#include "support/CapturedReports.h"
#include "support/TestFolder.h"
#include "support/TestJpeg.h"
#include "view/CScreenShot.h"
#include "view/CShotFrame.h"
#include "view/ShotFiles.h"

namespace {

CScreenShot ShotsIn(const CTestFolder& folder, const std::string& baseName, int fileType) {
    return CScreenShot({ folder.Path().substr(0, folder.Path().size() - 1), baseName, fileType });
}

std::string NameOnly(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

// width x height pixels as OpenGL reads them, bottom row first: the bottom
// redRows rows red, the others blue, and the first pixel of each row green.
std::vector<uint8_t> RgbRows(int width, int height, int redRows) {
    std::vector<uint8_t> rgb;
    for (int row = 0; row < height; row++) {
        for (int x = 0; x < width; x++) {
            if (x == 0) {
                rgb.insert(rgb.end(), { 0, 255, 0 });
            } else if (row < redRows) {
                rgb.insert(rgb.end(), { 255, 0, 0 });
            } else {
                rgb.insert(rgb.end(), { 0, 0, 255 });
            }
        }
    }
    return rgb;
}

std::string WrittenBy(const std::function<void(FILE*)>& write) {
    CTestFolder folder;
    const std::string path = folder.Path("out.bin");
    FILE* file = std::fopen(path.c_str(), "wb");
    write(file);
    std::fclose(file);
    return CTestFolder::Read(path);
}

} // namespace

TEST(ShotNumbering, ContinuesAfterTheHighestNumberReadSevenBeforeTheEnd) {
    CTestFolder folder;
    for (const char* name : { "shot005.bmp", "shot012.jpg", "shot013.png", "other099.jpg" }) {
        folder.Write(name, "");
    }
    CScreenShot shots = ShotsIn(folder, "shot", CScreenShot::JPEG);
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot014.jpg");
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot015.jpg");
    // "a.bmp" is too short to hold a number; "shots.txt" reads as "sho".
    CTestFolder other;
    other.Write("a.bmp", "");
    other.Write("shots.txt", "");
    EXPECT_EQ(NameOnly(ShotsIn(other, "a", CScreenShot::BMP).MakeShotFileName()), "a000.bmp");
    EXPECT_EQ(NameOnly(ShotsIn(other, "shot", CScreenShot::BMP).MakeShotFileName()), "shot001.bmp");
}

TEST(ShotNumbering, GrowsPastThreeDigitsAndNamesNoExtensionForOtherTypes) {
    CTestFolder folder;
    CScreenShot shots = ShotsIn(folder, "shot", 3);
    shots.shotNumber = 999;
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot999");
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot1000");
    EXPECT_EQ(NameOnly(ShotsIn(folder, "shot", CScreenShot::PNG).MakeShotFileName()), "shot000.png");
}

// F12: the picture goes exactly into the folder given, here not the folder
// "shots" beside it; the failure is logged, naming the file, and the reason
// given back for the viewer to show, with no message box.
TEST(ShotNumbering, AShotIsWrittenIntoTheFolderGivenOrWhyNotGivenBack) {
    CCapturedReports reports;
    CTestFolder folder;
    folder.Write("shots/keep", "");
    const std::vector<uint8_t> rgb = RgbRows(4, 2, 1);
    const CScreenShot::Settings settings { folder.Path("SHOTS"), "shot", CScreenShot::BMP };
    const CScreenShot::Outcome outcome = CScreenShot(settings).TakeScreenShot([&](CShotFrame& frame) {
        frame.SetFromRgbRows(4, 2, rgb.data());
        return true;
    });
    EXPECT_EQ(outcome.path, settings.folder + "/shot000.bmp");
    EXPECT_FALSE(outcome.failure.empty());
    EXPECT_EQ(reports.Errors(), "");
    EXPECT_NE(CTestFolder::Read(Diagnostics().LogFilePath()).find(outcome.path + " not written: " + outcome.failure),
              std::string::npos);
}

TEST(ShotFiles, BmpOfAWidthThatNeedsRowPadding) {
    const std::vector<uint8_t> rgb = RgbRows(3, 2, 1);
    CShotFrame frame;
    frame.SetFromRgbRows(3, 2, rgb.data());
    Bytes expected;
    expected.Text("BM").U32(54 + 24).U16(0).U16(0).U32(54);
    expected.U32(40).I32(3).I32(2).U16(1).U16(24).U32(0).U32(24).U32(0).U32(0).U32(0).U32(0);
    // Bottom row first, blue-green-red, padded from 9 to 12 bytes.
    expected.U8(0).U8(255).U8(0).U8(0).U8(0).U8(255).U8(0).U8(0).U8(255).Fill(3);
    expected.U8(0).U8(255).U8(0).U8(255).U8(0).U8(0).U8(255).U8(0).U8(0).Fill(3);
    const std::string written = WrittenBy([&](FILE* file) { EXPECT_TRUE(WriteBmp(frame, file)); });
    EXPECT_EQ(written, std::string(expected.bytes.begin(), expected.bytes.end()));
}

TEST(ShotFiles, JpegQualityTableClampsAtBothEnds) {
    const int qualities[] = { 20, 20, 40, 70, 99, 99 };
    for (int setting = -1; setting <= 4; setting++) {
        EXPECT_EQ(JpegQualityOf(setting), qualities[setting + 1]) << setting;
    }
}

namespace {

// The pixels of a PNG, top row first, red, green, blue, by libpng itself.
std::vector<uint8_t> DecodeWithPngLibrary(const std::vector<uint8_t>& file) {
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgb;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) != 0) {
        image.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
    }
    return rgb;
}

} // namespace

TEST(ShotFiles, JpegAndPngAreTopDownRgb) {
    const std::vector<uint8_t> rgb = RgbRows(37, 20, 10);
    CShotFrame frame;
    frame.SetFromRgbRows(37, 20, rgb.data());
    const struct {
        int type;
        std::vector<uint8_t> (*decode)(const std::vector<uint8_t>&);
    } cases[] = { { CScreenShot::JPEG, DecodeWithJpegLibrary }, { CScreenShot::PNG, DecodeWithPngLibrary } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const CScreenShot::Settings settings { "", "shot", c.type, 3 };
        std::string failure;
        const std::string written =
            WrittenBy([&](FILE* file) { EXPECT_TRUE(CScreenShot(settings).Write(frame, file, failure)); });
        const std::vector<uint8_t> pixels = c.decode(std::vector<uint8_t>(written.begin(), written.end()));
        ASSERT_EQ(pixels.size(), 37u * 20u * 3u);
        const uint8_t* top = &pixels[20 * 3];
        const uint8_t* bottom = &pixels[(19 * 37 + 20) * 3];
        // The picture's top row is blue, its bottom row red.
        EXPECT_GT(top[2], 200);
        EXPECT_LT(top[0], 60);
        EXPECT_GT(bottom[0], 200);
        EXPECT_LT(bottom[2], 60);
    }
}

TEST(ShotFiles, JpegLibraryFailureIsReportedAndEndsTheWrite) {
    CCapturedReports reports;
    // A stream open for reading takes no bytes: libjpeg's output fails.
    const std::string path = reports.Folder().Write("readonly.jpg", "");
    FILE* file = std::fopen(path.c_str(), "rb");
    const std::vector<uint8_t> rgb(64 * 64 * 3, 200);
    CShotFrame frame;
    frame.SetFromRgbRows(64, 64, rgb.data());
    std::string failure;
    EXPECT_FALSE(WriteJpeg(frame, file, 3, failure));
    std::fclose(file);
    EXPECT_NE(failure.find("write"), std::string::npos) << failure;
    EXPECT_NE(reports.Errors().find(failure), std::string::npos);
}
