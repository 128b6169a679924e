#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

// JPEG files made and read by the JPEG library itself, as the independent
// reference for our decoder.

// A picture of a fixed gradient; components 3 for RGB, 1 for greyscale.
inline std::vector<uint8_t> EncodeTestJpeg(int width, int height, int components) {
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
