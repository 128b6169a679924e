#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"
#include "support/Bytes.h"
#include "support/TestFolder.h"
#include "view/CScreenShot.h"
#include "view/CShotFrame.h"
#include "view/ShotFiles.h"

namespace {

CScreenShot ShotsIn(const CTestFolder& folder, const std::string& baseName, int fileType) {
    CScreenShot::Settings settings;
    settings.folder = folder.Path().substr(0, folder.Path().size() - 1);
    settings.baseName = baseName;
    settings.fileType = fileType;
    return CScreenShot(settings);
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

TEST(ShotNumbering, ContinuesAfterTheHighestNumberInTheFolder) {
    CTestFolder folder;
    folder.Write("shot005.bmp", "");
    folder.Write("shot012.jpg", "");
    folder.Write("other099.jpg", "");
    CScreenShot shots = ShotsIn(folder, "shot", CScreenShot::JPEG);
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot013.jpg");
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot014.jpg");
}

TEST(ShotNumbering, ReadsTheThreeCharactersSevenBeforeTheEnd) {
    CTestFolder folder;
    folder.Write("a.bmp", "");
    EXPECT_EQ(NameOnly(ShotsIn(folder, "a", CScreenShot::BMP).MakeShotFileName()), "a000.bmp");
    CTestFolder other;
    other.Write("shots.txt", "");
    EXPECT_EQ(NameOnly(ShotsIn(other, "shot", CScreenShot::BMP).MakeShotFileName()), "shot001.bmp");
}

TEST(ShotNumbering, GrowsPastThreeDigitsAndNamesNoExtensionForOtherTypes) {
    CTestFolder folder;
    CScreenShot shots = ShotsIn(folder, "shot", 2);
    shots.shotNumber = 999;
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot999");
    EXPECT_EQ(NameOnly(shots.MakeShotFileName()), "shot1000");
}

TEST(ShotNumbering, TheNameCreatesAFileInTheFolder) {
    CTestFolder folder;
    CScreenShot shots = ShotsIn(folder, "pic", CScreenShot::BMP);
    FILE* file = CScreenShot::CreateShotFile(shots.MakeShotFileName());
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(CTestFolder::Read(folder.Path("pic000.bmp")), "");
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

TEST(ShotFiles, BmpOf640By480Is921654Bytes) {
    const std::vector<uint8_t> rgb(640 * 480 * 3, 7);
    CShotFrame frame;
    frame.SetFromRgbRows(640, 480, rgb.data());
    EXPECT_EQ(WrittenBy([&](FILE* file) { WriteBmp(frame, file); }).size(), 921654u);
}

TEST(ShotFiles, JpegQualityTable) {
    EXPECT_EQ(JpegQualityOf(-1), 20);
    EXPECT_EQ(JpegQualityOf(0), 20);
    EXPECT_EQ(JpegQualityOf(1), 40);
    EXPECT_EQ(JpegQualityOf(2), 70);
    EXPECT_EQ(JpegQualityOf(3), 99);
    EXPECT_EQ(JpegQualityOf(4), 99);
}

TEST(ShotFiles, JpegIsTopDownRgb) {
    const std::vector<uint8_t> rgb = RgbRows(37, 20, 10);
    CShotFrame frame;
    frame.SetFromRgbRows(37, 20, rgb.data());
    const std::string written = WrittenBy([&](FILE* file) { EXPECT_TRUE(WriteJpeg(frame, file, 3)); });

    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(written.data()), written.size());
    ASSERT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK);
    jpeg_start_decompress(&info);
    EXPECT_EQ(info.output_width, 37u);
    EXPECT_EQ(info.output_height, 20u);
    std::vector<uint8_t> row(37 * 3);
    std::vector<std::vector<uint8_t>> rows;
    while (info.output_scanline < info.output_height) {
        JSAMPROW out[1] = { row.data() };
        jpeg_read_scanlines(&info, out, 1);
        rows.push_back(row);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    // The picture's top row is blue, its bottom row red.
    EXPECT_GT(rows.front()[20 * 3 + 2], 200);
    EXPECT_LT(rows.front()[20 * 3], 60);
    EXPECT_GT(rows.back()[20 * 3], 200);
    EXPECT_LT(rows.back()[20 * 3 + 2], 60);
}

TEST(ShotFiles, JpegLibraryFailureIsReportedAndEndsTheWrite) {
    CTestFolder logs;
    const std::string previousFolder = Diagnostics().GetFolder();
    Diagnostics().SetFolder(logs.Path());
    CMessageBox::SetBackend(CMessageBox::discard);
    // A stream open for reading takes no bytes: libjpeg's output fails.
    const std::string path = logs.Write("readonly.jpg", "");
    FILE* file = std::fopen(path.c_str(), "rb");
    const std::vector<uint8_t> rgb(64 * 64 * 3, 200);
    CShotFrame frame;
    frame.SetFromRgbRows(64, 64, rgb.data());
    EXPECT_FALSE(WriteJpeg(frame, file, 3));
    std::fclose(file);
    EXPECT_NE(CTestFolder::Read(Diagnostics().ErrorFilePath()).find("write"), std::string::npos);
    CMessageBox::SetBackend(CMessageBox::standardError);
    Diagnostics().SetFolder(previousFolder);
}
