// Real pictures from public projects decode to the pixels an independent
// decoder gives: ImageMagick for BMP and PCX; netpbm for the colours of TGA
// (ImageMagick blanks the colour under alpha 0 and turns some bottom-up
// files over) with ImageMagick for its alpha; the JPEG library itself for
// JPEG. Skipped when the files or the tools are absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"
#include "support/RealFiles.h"
#include "support/TestJpeg.h"

namespace fs = std::filesystem;

namespace {

const fs::path imageFolder = testData / "image";
const char* const convertTool = "/usr/bin/convert";
const char* const tgaTool = "/usr/bin/tgatoppm";

std::vector<uint8_t> RunTool(const std::string& command) {
    std::vector<uint8_t> pixels;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return pixels;
    }
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        pixels.insert(pixels.end(), buffer, buffer + got);
    }
    pclose(pipe);
    return pixels;
}

// RGBA bytes, top row first, as the independent decoders see the file.
std::vector<uint8_t> ReferenceRgba(const fs::path& path) {
    // Not "'" + path.string(): GCC 12 at -O3 warns falsely (-Wrestrict) on
    // prepending to a temporary string.
    const std::string quoted = "'" + path.native() + "'";
    std::vector<uint8_t> rgba = RunTool(std::string(convertTool) + " " + quoted + " -depth 8 rgba:- 2>/dev/null");
    if (path.extension() != ".tga") {
        return rgba;
    }
    const std::vector<uint8_t> rgb =
        RunTool(std::string(tgaTool) + " " + quoted + " 2>/dev/null | " + convertTool + " ppm:- -depth 8 rgb:-");
    if (rgb.size() / 3 != rgba.size() / 4) {
        return {};
    }
    for (size_t i = 0; i < rgb.size() / 3; i++) {
        std::memcpy(&rgba[4 * i], &rgb[3 * i], 3);
    }
    return rgba;
}

class RealPictures : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(imageFolder)) {
            GTEST_SKIP() << imageFolder << " is absent";
        }
        ApplyGamma(1.0f);
    }

    static bool Decode(const fs::path& path, SourcePicture& picture) {
        const std::vector<uint8_t> file = FileBytes(path);
        const std::string extension = path.extension().string();
        if (extension == ".bmp") return DecodeBmp(file.data(), file.size(), picture);
        if (extension == ".pcx") return DecodePcx(file.data(), file.size(), false, picture);
        if (extension == ".tga") return DecodeTga(file.data(), file.size(), picture);
        return false;
    }

    // Every pixel equal; alpha too when the picture has its own. The first
    // difference is told.
    static void ExpectSameAsConvert(const fs::path& path) {
        SCOPED_TRACE(path.string());
        SourcePicture picture;
        ASSERT_TRUE(Decode(path, picture));
        const std::vector<uint8_t> reference = ReferenceRgba(path);
        ASSERT_EQ(reference.size(), size_t(picture.width) * picture.height * 4);
        std::vector<uint8_t> ours(reference.size());
        for (size_t i = 0; i < ours.size() / 4; i++) {
            picture.ColorAt(int(i % picture.width), int(i / picture.width), &ours[4 * i]);
            if (!picture.hasAlpha) {
                ours[4 * i + 3] = reference[4 * i + 3];
            }
        }
        const size_t first = size_t(std::mismatch(ours.begin(), ours.end(), reference.begin()).first - ours.begin());
        EXPECT_EQ(first, ours.size()) << "pixel " << first / 4 << " channel " << first % 4 << ": " << int(ours[first])
                                      << " against " << int(reference[first]);
    }
};

}  // namespace

TEST_F(RealPictures, BmpPcxAndTgaFiles) {
    if (!fs::exists(convertTool) || !fs::exists(tgaTool)) {
        GTEST_SKIP() << "ImageMagick or netpbm is absent";
    }
    for (const char* name : { "bmp/image-rs/Info_8_Bit_Top_Down.bmp", "bmp/image-rs/pal8rle.bmp", "bmp/image-rs/pal8v4.bmp",
                              "bmp/image-rs/rgb24.bmp", "bmp/image-rs/rgb32.bmp", "bmp/libjpeg-turbo/vgl_6434_0018a.bmp",
                              "bmp/valve-addon/hackft.bmp", "pcx/didux-quake/ch1.pcx", "pcx/didux-quake/desup.pcx",
                              "pcx/trenchbroom/colormap.pcx", "pcx/mission64/k_explopack.pcx", "tga/didux-quake/anum_colon.tga",
                              "tga/image-rs/cbw8.tga", "tga/image-rs/ctc24.tga", "tga/image-rs/ubw8.tga",
                              "tga/image-rs/top_left.tga", "tga/image-rs/ucm8.tga", "tga/image-rs/utc24.tga",
                              "tga/image-rs/utc32.tga", "tga/valve-addon/crete4_stp01.tga",
                              "tga/mission64/models/objects/grenade/skin.tga" }) {
        ExpectSameAsConvert(imageFolder / name);
    }
}

TEST_F(RealPictures, WalFilesHoldTheirFirstMipLevel) {
    for (const char* name : { "didux-quake/stepa.wal", "trenchbroom/b_rc_v28.wal", "trenchbroom/lavatest.wal",
                              "vgio/test.wal" }) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> file = FileBytes(imageFolder / "wal" / name);
        SourcePicture picture;
        ASSERT_TRUE(DecodeWal(file.data(), file.size(), picture));
        uint32_t header[4];
        std::memcpy(header, file.data() + 32, sizeof header);  // width, height, offset0, offset1
        EXPECT_EQ(uint32_t(picture.width), header[0]);
        EXPECT_EQ(uint32_t(picture.height), header[1]);
        EXPECT_EQ(picture.data, std::vector<uint8_t>(file.begin() + header[2], file.begin() + header[2] + header[0] * header[1]));
    }
}

TEST_F(RealPictures, JpegFilesDecodeAsTheLibraryDoes) {
    for (const char* name : { "didux-quake/black.jpg", "image-rs/test.jpg", "libjpeg-turbo/testorig.jpg" }) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> file = FileBytes(imageFolder / "jpg" / name);
        SourcePicture picture;
        JpegComplaint complaint;
        ASSERT_TRUE(DecodeJpeg(file.data(), file.size(), picture, complaint)) << complaint.libraryMessage;

        const std::vector<uint8_t> reference = DecodeWithJpegLibrary(file);
        EXPECT_EQ(picture.data, reference);
    }
}
