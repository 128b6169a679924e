#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct SourcePicture;

// Each decoder takes the picture file's bytes (a file on disk, or an archive
// entry) and fills a source picture; false when it yields no picture. Bytes
// the file promises but does not hold read as zero. Colours pass through the
// gamma table except for BMP.

bool DecodePcx(const uint8_t* data, size_t size, bool useDefaultPalette, SourcePicture& out);
bool DecodeWal(const uint8_t* data, size_t size, SourcePicture& out);
bool DecodeSwl(const uint8_t* data, size_t size, SourcePicture& out);
bool DecodeTga(const uint8_t* data, size_t size, SourcePicture& out);
bool DecodeBmp(const uint8_t* data, size_t size, SourcePicture& out);

// Why a JPEG gave no picture, to be told to the user before the load fails.
struct JpegComplaint {
    bool        notRgb = false;   // greyscale or CMYK
    std::string libraryMessage;   // the JPEG library's own words
};
bool DecodeJpeg(const uint8_t* data, size_t size, SourcePicture& out, JpegComplaint& complaint);
