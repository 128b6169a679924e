#include "tools/Thumbnail.h"

#include <algorithm>

#include "scene/ModelScene.h"
#include "tools/CToolScene.h"

namespace {

// Each output pixel is the mean of a 2 x 2 block.
std::vector<uint8_t> HalveSize(const std::vector<uint8_t>& rgba, int width, int height) {
    const int half = width / 2;
    std::vector<uint8_t> out(static_cast<size_t>(half) * (height / 2) * 4);
    for (int y = 0; y < height / 2; y++) {
        for (int x = 0; x < half; x++) {
            for (int c = 0; c < 4; c++) {
                const auto at = [&](int dx, int dy) {
                    return rgba[(static_cast<size_t>(2 * y + dy) * width + 2 * x + dx) * 4 + c];
                };
                const int sum = at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1);
                out[(static_cast<size_t>(y) * half + x) * 4 + c] = static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
    return out;
}

}  // namespace

bool MakeThumbnail(const std::string& path, int size, Thumbnail& out, std::string& error) {
    size = std::clamp(size, MIN_THUMBNAIL_SIZE, MAX_THUMBNAIL_SIZE);
    const bool model = IsModelPath(path);
    out.width = size;
    out.height = model ? size : size * 3 / 4;
    CToolScene loaded;
    if (!loaded.CreateContext(2 * out.width, 2 * out.height, error)) {
        return false;
    }
    if (loaded.Load(path) == SceneOpenResult::aborted) {
        error = path + " is no scene or model file the viewer shows";
        return false;
    }
    loaded.Paint();
    out.rgba = HalveSize(loaded.context.ReadPixels(0, 0, 2 * out.width, 2 * out.height), 2 * out.width,
                         2 * out.height);
    return true;
}
