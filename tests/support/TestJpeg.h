#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

// JPEG files made and read by the JPEG library itself, as the independent
// reference for our decoder.

// How a test JPEG is written: a flat picture compresses to almost nothing
// however large it is.
struct TestJpegKind {
    bool flat = false;         // one colour, (200, 60, 30) in RGB
    bool progressive = false;
    bool arithmetic = false;   // arithmetic coding instead of Huffman
};

// A picture of a fixed gradient (or flat); components 3 for RGB, 1 for greyscale.
inline std::vector<uint8_t> EncodeTestJpeg(int width, int height, int components, TestJpegKind kind = {}) {
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
    info.arith_code = kind.arithmetic;
    if (kind.progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width * components));
    const uint8_t flat[3] = { 200, 60, 30 };
    while (info.next_scanline < info.image_height) {
        for (size_t i = 0; i < row.size(); i++) {
            row[i] = kind.flat ? flat[i % components] : static_cast<uint8_t>(i * 7 + info.next_scanline * 13);
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

// The file with its frame header claiming another size; the scans still
// describe the size it was made at.
inline std::vector<uint8_t> ClaimJpegSize(std::vector<uint8_t> file, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 8 < file.size(); i++) {
        if (file[i] == 0xFF && file[i + 1] >= 0xC0 && file[i + 1] <= 0xCB && file[i + 1] != 0xC4 &&
            file[i + 1] != 0xC8) {
            file[i + 5] = static_cast<uint8_t>(height >> 8);
            file[i + 6] = static_cast<uint8_t>(height);
            file[i + 7] = static_cast<uint8_t>(width >> 8);
            file[i + 8] = static_cast<uint8_t>(width);
            break;
        }
    }
    return file;
}

// The file with its last scan repeated: a progressive file of as many more
// scans, each a few bytes.
inline std::vector<uint8_t> RepeatLastJpegScan(const std::vector<uint8_t>& file, int times) {
    size_t lastScan = 0;
    for (size_t i = 2; i + 1 < file.size(); i++) {
        if (file[i] == 0xFF && file[i + 1] == 0xDA) {
            lastScan = i;
        }
    }
    const std::vector<uint8_t> scan(file.begin() + static_cast<std::ptrdiff_t>(lastScan), file.end() - 2);
    std::vector<uint8_t> repeated(file.begin(), file.end() - 2);
    for (int i = 0; i < times; i++) {
        repeated.insert(repeated.end(), scan.begin(), scan.end());
    }
    repeated.push_back(0xFF);
    repeated.push_back(0xD9);  // end of image
    return repeated;
}

// R, G, B bytes, top row first, as the library decodes the file; into a
// buffer kept across calls, so that timing it times the decode alone.
inline void DecodeWithJpegLibrary(const std::vector<uint8_t>& file, std::vector<uint8_t>& pixels) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    pixels.resize(static_cast<size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + static_cast<size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

inline std::vector<uint8_t> DecodeWithJpegLibrary(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> pixels;
    DecodeWithJpegLibrary(file, pixels);
    return pixels;
}
