#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/Palettes.h"

struct SourcePicture;

// A decoded picture on its way to becoming a texture: R, G, B (and A when
// transparent) bytes, rows bottom first, tightly packed. Colours have been
// through the gamma table (except BMP's), and with fitToTexture the picture
// has been scaled to a texture size. Failures are reported to the user with
// the numbered messages and leave the image without pixels.
class COGLImage {
public:
    // Picks the decoder by the file's extension; any other fails quietly.
    bool LoadFromFile(const std::string& filePath, bool fit, bool useDefaultPalette);
    // An archive entry of size bytes at offset in the archive's stream; the
    // decoder comes from the name's last three letters. The stream's position
    // is not restored.
    bool LoadFromArchive(FILE* stream, const std::string& entryName, uint32_t offset, uint32_t size, bool fit,
                         bool useDefaultPalette);
    // width x height indices from the stream's position, in the Quake palette.
    bool LoadIndexed(FILE* stream, int w, int h);
    // Indices drawn with the given palette (gamma already applied). Mode 3
    // keys out entry 255; mode 2 keeps the index as alpha and resamples.
    bool LoadIndexedWithPalette(FILE* stream, const PaletteTable palette, int w, int h, int mode);
    void FreePixels();

    // The power of two from 2 to 256 nearest to n (the smaller on a tie).
    static int FitTextureSize(int n);

    bool        fitToTexture = false;
    int         width = 0;
    int         height = 0;
    std::string path;
    std::vector<uint8_t> pixels;
    bool        transparent = false;
    bool        hasAlpha = false;
    uint8_t     keyColor[3] = { 0, 0, 0 };

private:
    bool Decode(const std::string& extension, const std::vector<uint8_t>& file, bool useDefaultPalette);
    bool Finish(const SourcePicture& source);
    bool ReadIndices(FILE* stream, int w, int h, SourcePicture& source);
    void ResampleWithIndexAlpha(const SourcePicture& source);
};
