#include "image/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>

#include "platform/COutputFile.h"

namespace {

// Nothing with a destructor may live here: libpng's errors jump back out.
bool WriteRows(FILE* file, const PngRows& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rows.width), static_cast<png_uint_32>(rows.height), 8,
                 rows.keepAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (rows.hasFourthByte && !rows.keepAlpha) {
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    }
    if (rows.blueFirst) {
        png_set_bgr(png);
    }
    for (int y = rows.height - 1; y >= 0; y--) {
        png_write_row(png, rows.pixels + static_cast<size_t>(y) * rows.stride);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(file) == 0;
}

}  // namespace

bool WritePng(FILE* file, const PngRows& rows) {
    if (rows.width <= 0 || rows.height <= 0 || rows.pixels == nullptr) {
        return false;
    }
    return WriteRows(file, rows);
}

bool EncodePng(const PngRows& rows, std::vector<uint8_t>& png) {
    char* bytes = nullptr;
    size_t size = 0;
    FILE* memory = open_memstream(&bytes, &size);
    if (memory == nullptr) {
        return false;
    }
    const bool written = WritePng(memory, rows);
    // The buffer and its size are final only once the stream is closed.
    const bool closed = std::fclose(memory) == 0;
    if (written && closed) {
        png.assign(bytes, bytes + size);
    }
    std::free(bytes);
    return written && closed;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height) {
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4) {
        return false;
    }
    PngRows rows;
    rows.pixels = rgba.data();
    rows.width = width;
    rows.height = height;
    rows.stride = static_cast<size_t>(width) * 4;
    rows.hasFourthByte = true;
    COutputFile file;
    return file.Create(path) && WritePng(file.Stream(), rows) && file.Commit();
}
