#include "image/Palettes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "image/GamePalettes.h"
#include "platform/LittleEndian.h"
#include "platform/ProgramFolder.h"

uint8_t gammaTable[256];
PaletteTable quake2PaletteTable;
PaletteTable quakePaletteTable;
PaletteTable defaultPaletteTable;

void ApplyGamma(float gamma) {
    for (int v = 0; v < 256; v++) {
        if (gamma == 1.0f) {
            gammaTable[v] = static_cast<uint8_t>(v);
            continue;
        }
        const double x = (v + 0.5) * (1.0 / 255.5);
        const double corrected = std::floor(std::pow(x, double(gamma)) * 255.0 + 0.5);
        // NaN from a nonsensical gamma falls to 0 rather than to undefined behaviour.
        gammaTable[v] = corrected >= 255.0 ? 255 : corrected > 0.0 ? static_cast<uint8_t>(corrected) : 0;
    }
    ConvertPalette(quake2PaletteTable, quake2Palette);
    ConvertPalette(quakePaletteTable, quakePalette);
}

bool GammaIsIdentity() {
    for (int v = 0; v < 256; v++) {
        if (gammaTable[v] != v) {
            return false;
        }
    }
    return true;
}

void ConvertPalette(PaletteTable out, const uint8_t in[768]) {
    for (int i = 0; i < 256; i++) {
        out[i][0] = gammaTable[in[3 * i]];
        out[i][1] = gammaTable[in[3 * i + 1]];
        out[i][2] = gammaTable[in[3 * i + 2]];
        out[i][3] = 0;
    }
}

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
typedef std::unique_ptr<FILE, FileCloser> FilePtr;

bool ReadExactly(FILE* file, void* buffer, size_t count) {
    return std::fread(buffer, 1, count, file) == count;
}


// After "RIFF": length, "PAL ", "data", chunk length, version 0x0300,
// count 256, then the entries as they are.
bool ReadRiffBody(FILE* file, PaletteTable out) {
    uint8_t header[16];
    if (!ReadExactly(file, header, sizeof header)) {
        return false;
    }
    if (std::memcmp(header + 4, "PAL ", 4) != 0 || std::memcmp(header + 8, "data", 4) != 0) {
        return false;
    }
    uint8_t versionAndCount[4];
    if (!ReadExactly(file, versionAndCount, 4)) {
        return false;
    }
    if (U16(versionAndCount) != 0x0300 || U16(versionAndCount + 2) != 256) {
        return false;
    }
    return ReadExactly(file, out, sizeof(PaletteTable));
}

}  // namespace

bool ReadPaletteFile(const std::string& path, PaletteTable out) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    char magic[4];
    if (!ReadExactly(file.get(), magic, 4)) {
        return false;
    }
    if (std::memcmp(magic, "JASC", 4) == 0) {
        file.reset();
        return ReadJascPalette(path, out);
    }
    if (std::memcmp(magic, "RIFF", 4) == 0) {
        return ReadRiffBody(file.get(), out);
    }
    return false;
}

bool ReadJascPalette(const std::string& path, PaletteTable out) {
    FilePtr file(std::fopen(path.c_str(), "r"));
    if (!file) {
        return false;
    }
    char firstLine[80];
    if (std::fgets(firstLine, sizeof firstLine, file.get()) == nullptr ||
        std::strncmp(firstLine, "JASC-PAL", 8) != 0) {
        return false;
    }
    int version = 0, count = 0;
    if (std::fscanf(file.get(), "%d", &version) != 1 || version != 100 ||
        std::fscanf(file.get(), "%d", &count) != 1 || count != 256) {
        return false;
    }
    // A palette cut short would quietly turn the rest of every picture black;
    // refusing it lets the caller fall back to the Quake II palette and say so.
    for (int i = 0; i < 256; i++) {
        int r, g, b;
        if (std::fscanf(file.get(), "%d %d %d", &r, &g, &b) != 3) {
            return false;
        }
        out[i][0] = static_cast<uint8_t>(r);
        out[i][1] = static_cast<uint8_t>(g);
        out[i][2] = static_cast<uint8_t>(b);
        out[i][3] = 0;
    }
    return true;
}

bool LoadDefaultPaletteFrom(const std::string& path) {
    PaletteTable read;
    if (!ReadPaletteFile(path, read)) {
        std::memcpy(defaultPaletteTable, quake2PaletteTable, sizeof(PaletteTable));
        return false;
    }
    for (int i = 0; i < 256; i++) {
        defaultPaletteTable[i][0] = gammaTable[read[i][0]];
        defaultPaletteTable[i][1] = gammaTable[read[i][1]];
        defaultPaletteTable[i][2] = gammaTable[read[i][2]];
        defaultPaletteTable[i][3] = read[i][3];
    }
    return true;
}

bool FindDefaultPalette() {
    for (const std::string& folder : { ExecutableFolder(), UserDataFolder(), InstalledDataFolder() }) {
        if (!folder.empty() && LoadDefaultPaletteFrom(folder + "quake2.pal")) {
            return true;
        }
    }
    return false;
}
