#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "image/ImageDecoders.h"
#include "image/SourcePicture.h"

namespace {

// A compressed MCU of flat colour can take a few bits for 64 pixels and
// more; nothing real comes near this many pixels per byte.
constexpr int64_t JPEG_MAX_PIXELS_PER_BYTE = 4096;
// The library scales at decode, so a file may hold more than a picture's
// budget: up to the largest side squared, which at 1/4 fits.
constexpr int64_t JPEG_MAX_FILE_PIXELS = int64_t(MAX_IMAGE_SIDE) * MAX_IMAGE_SIDE;
// The library's own memory: a progressive file keeps every coefficient of
// the whole picture (two bytes a sample, whatever the scale). A 4096 x 4096
// picture without subsampling needs 96 MB.
constexpr long JPEG_MAX_LIBRARY_MEMORY = 128L * 1024 * 1024;
// Each scan of a progressive file runs over the whole picture, and a scan
// can take a few bytes. Encoders write about ten; a hundred is generous.
constexpr int JPEG_MAX_SCANS = 100;
// Arithmetic-coded data decodes at some 8 MB a second, several times slower
// than Huffman-coded; few files use it at all.
constexpr size_t JPEG_MAX_ARITHMETIC_BYTES = 16 * 1024 * 1024;

// The library's fatal errors come back here instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr standard;
    jmp_buf        escape;
    char           message[JMSG_LENGTH_MAX];
};

// A file of more scans than any encoder writes is given up without words of
// the library's.
void LimitScans(j_common_ptr info) {
    const j_decompress_ptr decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > JPEG_MAX_SCANS) {
        longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
    }
}

// The least reduction of 1/2, 1/4 or 1/8 that brings the picture within the
// budget; false when even 1/8 does not.
bool ScaleToBudget(jpeg_decompress_struct& info) {
    info.scale_num = 1;
    for (info.scale_denom = 1; info.scale_denom <= 8; info.scale_denom *= 2) {
        jpeg_calc_output_dimensions(&info);
        if (int64_t(info.output_width) * info.output_height <= MAX_IMAGE_PIXELS) {
            return true;
        }
    }
    return false;
}

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
                jpeg_progress_mgr& progress, SourcePicture& out, JpegComplaint& complaint) {
    if (setjmp(errors.escape)) {
        complaint.libraryMessage = errors.message;
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = JPEG_MAX_LIBRARY_MEMORY;
    progress.progress_monitor = LimitScans;
    info.progress = &progress;
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.out_color_space != JCS_RGB) {
        complaint.notRgb = true;
        return false;
    }
    if (!PictureSizeIsPlausible(info.image_width, info.image_height, size, JPEG_MAX_PIXELS_PER_BYTE,
                                JPEG_MAX_FILE_PIXELS) ||
        (info.arith_code && size > JPEG_MAX_ARITHMETIC_BYTES) || !ScaleToBudget(info)) {
        return false;
    }
    jpeg_start_decompress(&info);
    out.Allocate(static_cast<int>(info.output_width), static_cast<int>(info.output_height), 3);
    out.fileWidth = static_cast<int>(info.image_width);
    out.fileHeight = static_cast<int>(info.image_height);
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
    jpeg_progress_mgr progress = {};
    const bool decoded = DecodeInto(data, size, info, errors, progress, out, complaint);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        out.data.clear();
    }
    return decoded;
}
