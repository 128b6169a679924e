#include "image/COGLImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "diag/CDiagnostics.h"
#include "image/ImageDecoders.h"
#include "image/SourcePicture.h"
#include "platform/BufferedStream.h"

namespace {

enum {
    MSG_DEFAULT_PALETTE_PCX_ONLY = 102,
    MSG_INVALID_IMAGE_FORMAT = 103,
    MSG_COULD_NOT_LOAD_BITMAP = 104,
    MSG_JPEG_NOT_RGB = 105,
};

// No real picture file comes near this; a larger one is refused before it is read.
constexpr uint64_t MAX_PICTURE_FILE_BYTES = 256u << 20;

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

// Up to count bytes from offset; fewer where the stream ends.
std::vector<uint8_t> ReadRange(FILE* stream, uint64_t offset, uint64_t count) {
    std::vector<uint8_t> bytes;
    const int64_t length = StreamLength(stream);
    if (length < 0 || offset >= static_cast<uint64_t>(length)) {
        return bytes;
    }
    const uint64_t available = std::min<uint64_t>(count, static_cast<uint64_t>(length) - offset);
    if (available > MAX_PICTURE_FILE_BYTES || fseeko(stream, static_cast<off_t>(offset), SEEK_SET) != 0) {
        return bytes;
    }
    bytes.resize(available);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), stream));
    return bytes;
}

uint64_t BytesLeft(FILE* stream) {
    const int64_t here = ftello(stream);
    const int64_t length = StreamLength(stream);
    return here >= 0 && length > here ? static_cast<uint64_t>(length - here) : 0;
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

bool COGLImage::LoadFromFile(const std::string& filePath, bool fit, bool useDefaultPalette) {
    fitToTexture = fit;
    const std::string extension = ExtensionOf(filePath);
    if (extension != "BMP" && extension != "PCX" && extension != "TGA" && extension != "WAL" &&
        extension != "SWL" && extension != "JPG") {
        return false;
    }
    const StreamPtr stream(OpenStreamForReading(filePath));
    if (!stream) {
        return false;
    }
    path = filePath;
    const std::vector<uint8_t> file = ReadRange(stream.get(), 0, MAX_PICTURE_FILE_BYTES);
    if (extension == "BMP" && useDefaultPalette) {
        ReportErrorId(MSG_DEFAULT_PALETTE_PCX_ONLY);
    }
    return Decode(extension, file, useDefaultPalette);
}

bool COGLImage::LoadFromArchive(FILE* stream, const std::string& entryName, uint32_t offset, uint32_t size, bool fit,
                                bool useDefaultPalette) {
    fitToTexture = fit;
    const std::string extension = UpperCase(entryName.size() >= 3 ? entryName.substr(entryName.size() - 3) : "");
    if (extension != "PCX" && extension != "WAL" && extension != "TGA" && extension != "JPG" && extension != "SWL") {
        ReportErrorId(MSG_INVALID_IMAGE_FORMAT);
        return false;
    }
    return Decode(extension, ReadRange(stream, offset, size), useDefaultPalette);
}

bool COGLImage::Decode(const std::string& extension, const std::vector<uint8_t>& file, bool useDefaultPalette) {
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
            ReportErrorId(MSG_JPEG_NOT_RGB);
        } else if (!complaint.libraryMessage.empty()) {
            ReportError(complaint.libraryMessage);
        }
    }
    if (!decoded) {
        ReportErrorId(MSG_COULD_NOT_LOAD_BITMAP);
        return false;
    }
    return Finish(source);
}

// Nearest-neighbour scaling: every pixel takes one source pixel's colour, so
// key colours stay exact and nothing is blended. Colours the decoder left for
// the gamma table go through it in the same pass. The key test runs on the
// finished colours.
bool COGLImage::Finish(const SourcePicture& source) {
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

bool COGLImage::ReadIndices(FILE* stream, int w, int h, SourcePicture& source) {
    if (!PictureSizeIsPlausible(w, h, BytesLeft(stream), 1)) {
        ReportErrorId(MSG_COULD_NOT_LOAD_BITMAP);
        return false;
    }
    source.Allocate(w, h, 1);
    const size_t got = std::fread(source.data.data(), 1, source.data.size(), stream);
    (void)got;  // the rest stays zero, as a short read always left it
    return true;
}

bool COGLImage::LoadIndexed(FILE* stream, int w, int h) {
    fitToTexture = true;
    SourcePicture source;
    if (!ReadIndices(stream, w, h, source)) {
        return false;
    }
    std::memcpy(source.palette, quakePaletteTable, sizeof(PaletteTable));
    return Finish(source);
}

bool COGLImage::LoadIndexedWithPalette(FILE* stream, const PaletteTable palette, int w, int h, int mode) {
    fitToTexture = true;
    if (mode < 0 || mode > 3) {
        return true;
    }
    SourcePicture source;
    if (!ReadIndices(stream, w, h, source)) {
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
