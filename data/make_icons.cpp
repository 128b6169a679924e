// Writes the program's icon in every installed size as
// FOLDER/hicolor/NxN/apps/orrin.png, for the icon theme.
#include <png.h>

#include <csetjmp>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/ProgramIcon.h"

static bool WriteRgbaPng(const std::string& path, const std::vector<uint8_t>& rgba, int size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(size), static_cast<png_uint_32>(size), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < size; y++) {
        png_write_row(png, rgba.data() + static_cast<size_t>(y) * size * 4);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons FOLDER\n");
        return 2;
    }
    for (const int size : PROGRAM_ICON_SIZES) {
        const std::string folder = std::string(argv[1]) + "/hicolor/" + std::to_string(size) + "x" +
                                   std::to_string(size) + "/apps";
        std::filesystem::create_directories(folder);
        if (!WriteRgbaPng(folder + "/orrin.png", DrawProgramIcon(size), size)) {
            std::fprintf(stderr, "make_icons: cannot write %s/orrin.png\n", folder.c_str());
            return 1;
        }
    }
    return 0;
}
