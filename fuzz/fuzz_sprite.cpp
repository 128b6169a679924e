// Sprite files come from scenes and archives: any bytes, of any of the three
// kinds, must either parse into frames (pictures named, or decoded from the
// file) or be refused with a message.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzSetUp.h"
#include "image/COGLImage.h"
#include "models/CSpriteData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    const ParsedModel parsed = ParseSprite(std::vector<uint8_t>(data, data + size));
    const auto* sprite = static_cast<const CSpriteData*>(parsed.data.get());
    if (sprite == nullptr) {
        if (parsed.messages.empty()) {
            __builtin_trap();  // a refusal says why
        }
        return 0;
    }
    for (const CSpriteData::Frame& frame : sprite->frames) {
        const bool named = !frame.pictureName.empty();
        const bool held = frame.picture != nullptr;
        if (sprite->kind == KIND_SPR ? !held || named : held) {
            __builtin_trap();  // indexed sprites hold their pictures, the others name them
        }
        if (held && !frame.picture->pixels.empty() &&
            frame.picture->pixels.size() !=
                size_t(frame.picture->width) * size_t(frame.picture->height) * (frame.picture->transparent ? 4 : 3)) {
            __builtin_trap();
        }
    }
    return 0;
}
