#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "image/ImageDecoders.h"
#include "image/SourcePicture.h"

namespace {

// A compressed MCU of flat colour can take a few bits for 64 pixels and
// more; nothing real comes near this many pixels per byte.
constexpr int64_t JPEG_MAX_PIXELS_PER_BYTE = 4096;

// The library's fatal errors come back here instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr standard;
    jmp_buf        escape;
    char           message[JMSG_LENGTH_MAX];
};

void ExitToCaller(j_common_ptr info) {
    ErrorManager* errors = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, errors->message);
    longjmp(errors->escape, 1);
}

// Warnings (a truncated file, say) are not failures; the library fills in.
void IgnoreMessage(j_common_ptr, int) {
}

// Everything between setjmp and the end of decoding lives in plain C
// structures, so the jump back skips no destructor.
bool DecodeInto(const uint8_t* data, size_t size, jpeg_decompress_struct& info, ErrorManager& errors,
                SourcePicture& out, JpegComplaint& complaint) {
    if (setjmp(errors.escape)) {
        complaint.libraryMessage = errors.message;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.out_color_space != JCS_RGB) {
        complaint.notRgb = true;
        return false;
    }
    if (!PictureSizeIsPlausible(info.image_width, info.image_height, size, JPEG_MAX_PIXELS_PER_BYTE)) {
        return false;
    }
    jpeg_start_decompress(&info);
    out.Allocate(static_cast<int>(info.output_width), static_cast<int>(info.output_height), 3);
    const size_t rowBytes = static_cast<size_t>(info.output_width) * 3;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data.data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    out.gammaPending = true;
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, SourcePicture& out, JpegComplaint& complaint) {
    if (size == 0) {
        return false;
    }
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = ExitToCaller;
    errors.standard.emit_message = IgnoreMessage;
    errors.message[0] = '\0';
    const bool decoded = DecodeInto(data, size, info, errors, out, complaint);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        out.data.clear();
    }
    return decoded;
}
