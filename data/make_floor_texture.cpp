// Writes the demo scene's floor texture: a 128 x 128 8-bit PCX of warm
// tiles with grout lines and a little grain, made from nothing but code.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_floor_texture OUT.pcx\n");
        return 2;
    }
    const int side = 128;
    std::vector<uint8_t> file(128, 0);
    file[0] = 10;  // maker
    file[1] = 5;   // version
    file[2] = 1;   // run-length
    file[3] = 8;   // bits per pixel
    file[8] = side - 1;
    file[10] = side - 1;
    file[65] = 1;  // planes
    file[66] = side;
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            const bool grout = x % 32 < 2 || y % 32 < 2;
            const int tile = (x / 32 + y / 32) % 2;
            const int grain = static_cast<int>(8.0 * std::sin(x * 0.7 + y * 0.3) * std::cos(y * 0.5));
            int index = grout ? 16 : 64 + tile * 96 + 40 + grain;
            index = index < 0 ? 0 : index > 254 ? 254 : index;
            file.push_back(0xC1);  // every value as a run of one: always valid
            file.push_back(static_cast<uint8_t>(index));
        }
    }
    // Palette: a ramp from dark grout through terracotta to sand.
    file.push_back(0x0C);
    for (int i = 0; i < 256; i++) {
        const double t = i / 255.0;
        file.push_back(static_cast<uint8_t>(60 + 190 * t));
        file.push_back(static_cast<uint8_t>(40 + 150 * t * t));
        file.push_back(static_cast<uint8_t>(30 + 90 * t * t * t));
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "make_floor_texture: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
