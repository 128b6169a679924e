#include "image/SourcePicture.h"

void SourcePicture::ColorAt(int x, int y, uint8_t rgba[4]) const {
    const int row = bottomUp ? height - 1 - y : y;
    const uint8_t* p = data.data() + (static_cast<size_t>(row) * width + x) * channels;
    if (channels == 1) {
        const uint8_t* entry = palette[*p];
        rgba[0] = entry[0];
        rgba[1] = entry[1];
        rgba[2] = entry[2];
        rgba[3] = entry[3];
        return;
    }
    rgba[0] = p[0];
    rgba[1] = p[1];
    rgba[2] = p[2];
    rgba[3] = channels == 4 ? p[3] : 255;
}

void SourcePicture::Allocate(int w, int h, int channelCount) {
    width = w;
    height = h;
    channels = channelCount;
    fileWidth = w;
    fileHeight = h;
    data.assign(static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(channelCount), 0);
}

bool PictureSizeIsPlausible(int64_t width, int64_t height, size_t dataBytes, int64_t pixelsPerByte,
                            int64_t maxPixels) {
    if (width <= 0 || height <= 0 || width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE || width * height > maxPixels) {
        return false;
    }
    return width * height <= static_cast<int64_t>(dataBytes) * pixelsPerByte;
}
