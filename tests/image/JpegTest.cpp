#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"

namespace {

// Encodes a picture with the JPEG library itself: components 3 for RGB, 1 for grey.
std::vector<uint8_t> Encode(int width, int height, int components) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width * components));
    while (info.next_scanline < info.image_height) {
        for (size_t i = 0; i < row.size(); i++) {
            row[i] = static_cast<uint8_t>(i * 7 + info.next_scanline * 13);
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

// What the library decodes the file to, top row first, R, G, B.
std::vector<uint8_t> ReferenceDecode(const std::vector<uint8_t>& file) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    std::vector<uint8_t> pixels(static_cast<size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + static_cast<size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

}  // namespace

TEST(Jpeg, DecodesAsTheLibraryDoesThroughTheGammaTable) {
    const std::vector<uint8_t> file = Encode(24, 10, 3);
    const std::vector<uint8_t> reference = ReferenceDecode(file);

    ApplyGamma(1.0f);
    SourcePicture picture;
    JpegComplaint complaint;
    ASSERT_TRUE(DecodeJpeg(file.data(), file.size(), picture, complaint));
    EXPECT_EQ(picture.width, 24);
    EXPECT_EQ(picture.height, 10);
    EXPECT_EQ(picture.channels, 3);
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

TEST(Jpeg, GreyscaleIsRefusedWithoutALibraryMessage) {
    const std::vector<uint8_t> file = Encode(8, 8, 1);
    SourcePicture picture;
    JpegComplaint complaint;
    EXPECT_FALSE(DecodeJpeg(file.data(), file.size(), picture, complaint));
    EXPECT_TRUE(complaint.notRgb);
    EXPECT_TRUE(complaint.libraryMessage.empty());
}

TEST(Jpeg, BrokenFilesGiveTheLibrarysMessage) {
    const std::vector<uint8_t> garbage = { 0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 'x', 'y' };
    SourcePicture picture;
    JpegComplaint complaint;
    EXPECT_FALSE(DecodeJpeg(garbage.data(), garbage.size(), picture, complaint));
    EXPECT_FALSE(complaint.libraryMessage.empty());
    EXPECT_TRUE(picture.data.empty());

    JpegComplaint notJpeg;
    const std::vector<uint8_t> text = { 'h', 'e', 'l', 'l', 'o' };
    EXPECT_FALSE(DecodeJpeg(text.data(), text.size(), picture, notJpeg));
    EXPECT_NE(notJpeg.libraryMessage.find("JPEG"), std::string::npos) << notJpeg.libraryMessage;
}

TEST(Jpeg, ATruncatedFileStillDecodes) {
    std::vector<uint8_t> file = Encode(32, 32, 3);
    file.resize(file.size() * 2 / 3);
    SourcePicture picture;
    JpegComplaint complaint;
    EXPECT_TRUE(DecodeJpeg(file.data(), file.size(), picture, complaint));
    EXPECT_EQ(picture.width, 32);
}
