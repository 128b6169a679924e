#include "image/COGLImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/ImageDecoders.h"
#include "image/SourcePicture.h"

namespace {

enum {
    MSG_DEFAULT_PALETTE_PCX_ONLY = 102,
    MSG_INVALID_IMAGE_FORMAT = 103,
    MSG_COULD_NOT_LOAD_BITMAP = 104,
    MSG_JPEG_NOT_RGB = 105,
};

std::string UpperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The letters after the last dot of the file-name part.
std::string ExtensionOf(const std::string& filePath) {
    const size_t nameStart = filePath.find_last_of("/\\") == std::string::npos ? 0 : filePath.find_last_of("/\\") + 1;
    const size_t dot = filePath.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) {
        return "";
    }
    return UpperCase(filePath.substr(dot + 1));
}

int PowerOfTwoAtLeast(int n) {
    int size = 1;
    while (size < n && size < 256) {
        size *= 2;
    }
    return size;
}

}  // namespace

int COGLImage::FitTextureSize(int n) {
    const int m = std::min(n, 256);
    int best = 2;
    for (int size = 4; size <= 256; size *= 2) {
        if (std::abs(m - size) < std::abs(m - best)) {
            best = size;
        }
    }
    return best;
}

void COGLImage::FreePixels() {
    std::vector<uint8_t>().swap(pixels);
}

bool COGLImage::DecodeFile(const std::string& name, const std::vector<uint8_t>& bytes, bool fit,
                           bool useDefaultPalette, LoadMessages& messages) {
    fitToTexture = fit;
    const std::string extension = ExtensionOf(name);
    if (extension != "BMP" && extension != "PCX" && extension != "TGA" && extension != "WAL" &&
        extension != "SWL" && extension != "JPG") {
        return false;
    }
    path = name;
    if (extension == "BMP" && useDefaultPalette) {
        AddMessage(messages, MSG_DEFAULT_PALETTE_PCX_ONLY);
    }
    return Decode(extension, bytes, useDefaultPalette, messages);
}

bool COGLImage::DecodeEntry(const std::string& name, const std::vector<uint8_t>& bytes, bool fit,
                            bool useDefaultPalette, LoadMessages& messages) {
    fitToTexture = fit;
    const std::string extension = UpperCase(name.size() >= 3 ? name.substr(name.size() - 3) : "");
    if (extension != "PCX" && extension != "WAL" && extension != "TGA" && extension != "JPG" && extension != "SWL") {
        AddMessage(messages, MSG_INVALID_IMAGE_FORMAT);
        return false;
    }
    path = name;
    return Decode(extension, bytes, useDefaultPalette, messages);
}

bool COGLImage::Decode(const std::string& extension, const std::vector<uint8_t>& file, bool useDefaultPalette,
                       LoadMessages& messages) {
    SourcePicture source;
    bool decoded = false;
    if (extension == "PCX") {
        decoded = DecodePcx(file.data(), file.size(), useDefaultPalette, source);
    } else if (extension == "WAL") {
        decoded = DecodeWal(file.data(), file.size(), source);
    } else if (extension == "SWL") {
        decoded = DecodeSwl(file.data(), file.size(), source);
    } else if (extension == "TGA") {
        decoded = DecodeTga(file.data(), file.size(), source);
    } else if (extension == "BMP") {
        decoded = DecodeBmp(file.data(), file.size(), source);
    } else if (extension == "JPG") {
        JpegComplaint complaint;
        decoded = DecodeJpeg(file.data(), file.size(), source, complaint);
        if (complaint.notRgb) {
            AddMessage(messages, MSG_JPEG_NOT_RGB);
        } else if (!complaint.libraryMessage.empty()) {
            AddMessage(messages, complaint.libraryMessage);
        }
    }
    if (!decoded) {
        AddMessage(messages, MSG_COULD_NOT_LOAD_BITMAP);
        return false;
    }
    return Finish(source);
}

// Nearest-neighbour scaling: every pixel takes one source pixel's colour, so
// key colours stay exact and nothing is blended. Colours the decoder left for
// the gamma table go through it in the same pass. The key test runs on the
// finished colours.
bool COGLImage::Finish(const SourcePicture& source) {
    sourceWidth = source.fileWidth;
    sourceHeight = source.fileHeight;
    width = fitToTexture ? FitTextureSize(source.width) : source.width;
    height = fitToTexture ? FitTextureSize(source.height) : source.height;
    transparent = source.transparent;
    hasAlpha = source.hasAlpha;
    std::memcpy(keyColor, source.keyColor, 3);
    const int channels = transparent ? 4 : 3;
    pixels.resize(static_cast<size_t>(width) * height * channels);

    std::vector<size_t> columnOffsets(static_cast<size_t>(width));
    for (int x = 0; x < width; x++) {
        const int64_t sx = (2 * int64_t(x) + 1) * source.width / (2 * int64_t(width));
        columnOffsets[size_t(x)] = static_cast<size_t>(sx) * source.channels;
    }
    const bool gamma = source.gammaPending && source.channels != 1 && !GammaIsIdentity();
    // One source colour as it is stored: through the gamma table if still
    // due, then alpha from the source or from the key colour.
    auto finish = [&](const uint8_t* color, uint8_t sourceAlpha, uint8_t* out) {
        if (gamma) {
            out[0] = gammaTable[color[0]];
            out[1] = gammaTable[color[1]];
            out[2] = gammaTable[color[2]];
        } else {
            out[0] = color[0];
            out[1] = color[1];
            out[2] = color[2];
        }
        if (!transparent) {
            return;
        }
        const bool isKey = out[0] == keyColor[0] && out[1] == keyColor[1] && out[2] == keyColor[2];
        out[3] = hasAlpha ? sourceAlpha : (isKey ? 0 : 255);
    };
    // An indexed picture has at most 256 finished colours: work each out once.
    uint8_t finishedPalette[256][4] = {};
    if (source.channels == 1) {
        for (int index = 0; index < 256; index++) {
            finish(source.palette[index], 255, finishedPalette[index]);
        }
    }
    const bool wholeRows = !transparent && source.channels == 3 && width == source.width;
    uint8_t* out = pixels.data();
    for (int row = 0; row < height; row++) {
        const int pictureRow = height - 1 - row;  // rows are stored bottom first
        const int64_t sy = (2 * int64_t(pictureRow) + 1) * source.height / (2 * int64_t(height));
        const int64_t sourceRow = source.bottomUp ? source.height - 1 - sy : sy;
        const uint8_t* in = source.data.data() + static_cast<size_t>(sourceRow) * source.width * source.channels;
        if (wholeRows) {
            // An opaque RGB row kept at its width is a straight copy.
            const size_t rowBytes = static_cast<size_t>(width) * 3;
            if (gamma) {
                for (size_t i = 0; i < rowBytes; i++) {
                    out[i] = gammaTable[in[i]];
                }
            } else {
                std::memcpy(out, in, rowBytes);
            }
            out += rowBytes;
            continue;
        }
        for (int x = 0; x < width; x++, out += channels) {
            const uint8_t* pixel = in + columnOffsets[size_t(x)];
            // Constant lengths: a copy of a variable length is a call per pixel.
            if (source.channels == 1 && channels == 4) {
                std::memcpy(out, finishedPalette[*pixel], 4);
            } else if (source.channels == 1) {
                std::memcpy(out, finishedPalette[*pixel], 3);
            } else {
                finish(pixel, source.channels == 4 ? pixel[3] : 255, out);
            }
        }
    }
    return true;
}

bool COGLImage::ReadIndices(const uint8_t* indices, size_t size, int w, int h, SourcePicture& source,
                            LoadMessages& messages) {
    if (!PictureSizeIsPlausible(w, h, size, 1)) {
        AddMessage(messages, MSG_COULD_NOT_LOAD_BITMAP);
        return false;
    }
    source.Allocate(w, h, 1);
    // What the block lacks stays zero, as a short read always left it.
    std::memcpy(source.data.data(), indices, std::min(size, source.data.size()));
    return true;
}

bool COGLImage::DecodeIndexed(const uint8_t* indices, size_t size, int w, int h, LoadMessages& messages) {
    fitToTexture = true;
    SourcePicture source;
    if (!ReadIndices(indices, size, w, h, source, messages)) {
        return false;
    }
    std::memcpy(source.palette, quakePaletteTable, sizeof(PaletteTable));
    return Finish(source);
}

bool COGLImage::DecodeIndexedWithPalette(const uint8_t* indices, size_t size, const PaletteTable palette, int w,
                                         int h, int mode, LoadMessages& messages) {
    fitToTexture = true;
    if (mode < 0 || mode > 3) {
        return true;
    }
    SourcePicture source;
    if (!ReadIndices(indices, size, w, h, source, messages)) {
        return false;
    }
    std::memcpy(source.palette, palette, sizeof(PaletteTable));
    if (mode == 2) {
        ResampleWithIndexAlpha(source);
        return true;
    }
    if (mode == 3) {
        source.transparent = true;
        std::memcpy(source.keyColor, palette[255], 3);
    }
    return Finish(source);
}

// Sprite frames whose index is their opacity: each texel averages four
// samples' colours and takes the first sample's index as alpha.
void COGLImage::ResampleWithIndexAlpha(const SourcePicture& source) {
    sourceWidth = source.width;
    sourceHeight = source.height;
    width = PowerOfTwoAtLeast(source.width);
    height = PowerOfTwoAtLeast(source.height);
    transparent = true;
    hasAlpha = false;
    pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    const double stepX = double(source.width) / width;
    const double stepY = double(source.height) / height;
    uint8_t* out = pixels.data();
    for (int y = height - 1; y >= 0; y--) {
        const int y0 = static_cast<int>(std::floor((y + 0.25) * stepY));
        const int y1 = static_cast<int>(std::floor((y + 0.75) * stepY));
        for (int x = 0; x < width; x++) {
            const int x0 = static_cast<int>(std::floor((x + 0.25) * stepX));
            const int x1 = static_cast<int>(std::floor((x + 0.75) * stepX));
            const uint8_t i00 = source.data[size_t(y0) * source.width + x0];
            const uint8_t i10 = source.data[size_t(y0) * source.width + x1];
            const uint8_t i01 = source.data[size_t(y1) * source.width + x0];
            const uint8_t i11 = source.data[size_t(y1) * source.width + x1];
            for (int c = 0; c < 3; c++) {
                const int sum = source.palette[i00][c] + source.palette[i10][c] + source.palette[i01][c] +
                                source.palette[i11][c];
                out[c] = static_cast<uint8_t>(sum >> 2);
            }
            out[3] = i00;
            out += 4;
        }
    }
}
