#include "view/ShotFiles.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <vector>

#include <jpeglib.h>

#include "diag/CDiagnostics.h"
#include "image/PngWriter.h"
#include "view/CShotFrame.h"

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    PutU16(out, value & 0xffff);
    PutU16(out, value >> 16);
}

std::vector<uint8_t> BmpHeaders(const CShotFrame& frame) {
    const uint32_t imageSize = static_cast<uint32_t>(frame.ImageSize());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + imageSize);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(frame.Width()));
    PutU32(out, static_cast<uint32_t>(frame.Height()));
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);
    PutU32(out, imageSize);
    for (int i = 0; i < 4; i++) {
        PutU32(out, 0);
    }
    return out;
}

// libjpeg's standard error manager, with a way back out of a fatal error
// and its message kept for the caller.
struct ReportingErrorManager {
    jpeg_error_mgr standard;
    jmp_buf        recovery;
    char           message[JMSG_LENGTH_MAX];
};

void ReportAndRecover(j_common_ptr info) {
    auto* manager = reinterpret_cast<ReportingErrorManager*>(info->err);
    info->err->format_message(info, manager->message);
    ReportError(manager->message);
    longjmp(manager->recovery, 1);
}

} // namespace

int JpegQualityOf(int qualityIndex) {
    static const int qualities[4] = { 20, 40, 70, 99 };
    return qualities[std::clamp(qualityIndex, 0, 3)];
}

bool WriteBmp(const CShotFrame& frame, FILE* file) {
    const std::vector<uint8_t> headers = BmpHeaders(frame);
    if (std::fwrite(headers.data(), 1, headers.size(), file) != headers.size()) {
        return false;
    }
    return frame.ImageSize() == 0 || std::fwrite(frame.Row(0), 1, frame.ImageSize(), file) == frame.ImageSize();
}

namespace {

// Nothing with a destructor may live in the function that sets the
// recovery point: the jump back would skip it, and GCC rightly warns that
// such locals may be clobbered.
bool CompressJpeg(const CShotFrame& frame, FILE* file, int qualityIndex, uint8_t* row, ReportingErrorManager& errors) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = ReportAndRecover;
    if (setjmp(errors.recovery) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(frame.Width());
    info.image_height = static_cast<JDIMENSION>(frame.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, JpegQualityOf(qualityIndex), TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = static_cast<size_t>(frame.Width()) * 3;
    while (info.next_scanline < info.image_height) {
        const int sourceRow = frame.Height() - static_cast<int>(info.next_scanline) - 1;
        const uint8_t* in = frame.Row(sourceRow);
        for (size_t i = 0; i < rowBytes; i += 3) {
            row[i] = in[i + 2];
            row[i + 1] = in[i + 1];
            row[i + 2] = in[i];
        }
        JSAMPROW rows[1] = { row };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

bool WriteJpeg(const CShotFrame& frame, FILE* file, int qualityIndex, std::string& failure) {
    std::vector<uint8_t> row(static_cast<size_t>(frame.Width()) * 3);
    ReportingErrorManager errors;
    if (CompressJpeg(frame, file, qualityIndex, row.data(), errors)) {
        return true;
    }
    failure = errors.message;
    return false;
}

bool WritePngShot(const CShotFrame& frame, FILE* file) {
    PngRows rows;
    rows.pixels = frame.Row(0);
    rows.width = frame.Width();
    rows.height = frame.Height();
    rows.stride = CShotFrame::Stride(frame.Width());
    rows.blueFirst = true;
    return WritePng(file, rows);
}
