// Writes the Quake II palette the program carries as a JASC "quake2.pal":
//   write_palette OUT
// The build puts it beside the programs and the install in the data folder,
// so a fresh copy finds its default palette without the user supplying one.
#include <cstdio>

#include "image/GamePalettes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_palette OUT\n");
        return 64;
    }
    FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    // Paint Shop Pro wrote these with CR LF; other tools expect it.
    std::fprintf(file, "JASC-PAL\r\n0100\r\n256\r\n");
    for (int i = 0; i < 256; i++) {
        std::fprintf(file, "%d %d %d\r\n", quake2Palette[i * 3], quake2Palette[i * 3 + 1], quake2Palette[i * 3 + 2]);
    }
    if (std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
