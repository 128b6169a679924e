#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diag/LoadMessages.h"
#include "image/Palettes.h"

struct SourcePicture;

// A decoded picture on its way to becoming a texture: R, G, B (and A when
// transparent) bytes, rows bottom first, tightly packed. Colours have been
// through the gamma table (except BMP's), and with fitToTexture the picture
// has been scaled to a texture size. Decoding touches no OpenGL state and
// tells nothing to the user: why a picture failed goes to the messages, and
// the image is left without pixels.
class COGLImage {
public:
    // A picture file on disk; the decoder comes from the name's extension,
    // and any other extension fails without a message.
    bool DecodeFile(const std::string& name, const std::vector<uint8_t>& bytes, bool fit, bool useDefaultPalette,
                    LoadMessages& messages);
    // An archive entry; the decoder comes from the name's last three letters.
    bool DecodeEntry(const std::string& name, const std::vector<uint8_t>& bytes, bool fit, bool useDefaultPalette,
                     LoadMessages& messages);
    // w x h indices in the Quake palette, fitted to a texture size; indices
    // the block lacks are 0.
    bool DecodeIndexed(const uint8_t* indices, size_t size, int w, int h, LoadMessages& messages);
    // Indices drawn with the given palette (gamma already applied). Mode 3
    // keys out entry 255; mode 2 keeps the index as alpha and resamples; a
    // mode outside 0 to 3 succeeds with no pixels.
    bool DecodeIndexedWithPalette(const uint8_t* indices, size_t size, const PaletteTable palette, int w, int h,
                                  int mode, LoadMessages& messages);
    void FreePixels();

    // The power of two from 2 to 256 nearest to n (the smaller on a tie).
    static int FitTextureSize(int n);

    bool        fitToTexture = false;
    int         width = 0;
    int         height = 0;
    // The picture's size in its file, before it was fitted.
    int         sourceWidth = 0;
    int         sourceHeight = 0;
    std::string path;
    std::vector<uint8_t> pixels;
    bool        transparent = false;
    bool        hasAlpha = false;
    uint8_t     keyColor[3] = { 0, 0, 0 };

private:
    bool Decode(const std::string& extension, const std::vector<uint8_t>& file, bool useDefaultPalette,
                LoadMessages& messages);
    bool Finish(const SourcePicture& source);
    bool ReadIndices(const uint8_t* indices, size_t size, int w, int h, SourcePicture& source,
                     LoadMessages& messages);
    void ResampleWithIndexAlpha(const SourcePicture& source);
};
