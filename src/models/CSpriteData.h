#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/CModelCache.h"

class COGLImage;

enum SpriteKind { KIND_NONE, KIND_SP2, KIND_SPR, KIND_TEXT };

// A sprite file as read. Quake II sprites ("IDS2") and text sprites ("SPRT",
// a list of TGA pictures) name their frames' pictures, which the object
// showing the sprite takes from the scene; indexed sprites ("IDSP" version 2)
// hold their frames and palette, decoded here. Shared by every object
// showing the file.
class CSpriteData : public CModelData {
public:
    struct Frame {
        int32_t     width = 0;      // as the file gives it (a text sprite's: none)
        int32_t     height = 0;
        std::string title;          // a text sprite's name for the picture
        std::string pictureName;    // the picture named, or empty
        std::shared_ptr<const COGLImage> picture;   // an indexed sprite's own
    };

    SpriteKind         kind = KIND_NONE;
    // The blend an indexed sprite's format asks for (text sprites 5), else -1.
    int32_t            blendMode = -1;
    // A text sprite's "path": where its pictures are named from.
    std::string        folder;
    std::vector<Frame> frames;
};

// Parses a whole sprite file; every count and size is checked against the
// file's size. Null data and the sprite's message when it is not a sprite,
// or when an indexed sprite's frame cannot be read.
ParsedModel ParseSprite(const std::vector<uint8_t>& file);
