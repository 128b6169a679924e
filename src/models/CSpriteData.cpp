#include "models/CSpriteData.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "image/COGLImage.h"
#include "image/Palettes.h"
#include "platform/LittleEndian.h"

namespace {

constexpr int MSG_ERROR_READING_SPRITE = 1022;
constexpr int MSG_INVALID_SPRITE_FORMAT = 1023;
constexpr int MSG_FRAME_TEXTURE_FAILED = 1025;
constexpr int MSG_NOT_A_VALID_SPRITE = 1026;

constexpr size_t MAGIC_SIZE = 4;
constexpr size_t QUAKE2_HEADER_SIZE = 12;     // magic, version, frame count
constexpr size_t QUAKE2_FRAME_SIZE = 80;
constexpr size_t QUAKE2_NAME_OFFSET = 16;
constexpr size_t QUAKE2_NAME_SIZE = 64;
constexpr size_t INDEXED_HEADER_SIZE = 42;    // magic to the palette colour count
constexpr size_t INDEXED_FRAME_COUNT_OFFSET = 28;
constexpr size_t INDEXED_FORMAT_OFFSET = 12;
constexpr size_t PALETTE_SIZE = 768;
constexpr size_t INDEXED_FRAME_HEADER_SIZE = 20;
constexpr size_t MAX_LINE_LENGTH = 1023;
constexpr size_t MAX_WORD_TITLE = 259;
constexpr size_t MAX_NAME_TITLE = 65;
// Far above any real sprite: each frame is a texture of the scene to find
// and keep, however little of the file it takes.
constexpr size_t MAX_FRAMES = 65536;

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Drops what comments hide; inComment carries over from line to line.
// Text in front of a "/*" goes with the comment.
std::string Uncommented(const std::string& line, bool& inComment) {
    size_t start = 0;
    for (;;) {
        if (inComment) {
            const size_t close = line.find("*/", start);
            if (close == std::string::npos) {
                break;
            }
            start = close + 2;
            inComment = false;
        }
        const size_t open = line.find("/*", start);
        if (open == std::string::npos) {
            break;
        }
        start = open + 2;
        inComment = true;
    }
    std::string rest = line.substr(start);
    const size_t lineComment = rest.find("//");
    if (lineComment != std::string::npos) {
        rest.resize(lineComment);
    }
    return rest;
}

// Calls visit with each line ended by a carriage return and line feed;
// what follows the last pair is no line. Longer lines are cut.
template <typename Visit>
void ForEachTextLine(const uint8_t* data, size_t size, Visit visit) {
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i + 1 < size; i++) {
        if (text[i] == '\r' && text[i + 1] == '\n') {
            visit(std::string(text + start, std::min(i - start, MAX_LINE_LENGTH)));
            start = i + 2;
            i++;
        }
    }
}

ParsedModel Refuse(int message) {
    ParsedModel refused;
    AddMessage(refused.messages, message);
    return refused;
}

ParsedModel ReadQuake2(const std::vector<uint8_t>& file, std::shared_ptr<CSpriteData> sprite) {
    const uint8_t* data = file.data();
    const size_t size = file.size();
    if (size < QUAKE2_HEADER_SIZE) {
        return Refuse(MSG_ERROR_READING_SPRITE);
    }
    if (Int32At(data + 4) != 2) {
        return Refuse(MSG_NOT_A_VALID_SPRITE);
    }
    const int32_t count = Int32At(data + 8);
    if (count < 0 || static_cast<uint64_t>(count) > (size - QUAKE2_HEADER_SIZE) / QUAKE2_FRAME_SIZE ||
        static_cast<size_t>(count) > MAX_FRAMES) {
        return Refuse(MSG_ERROR_READING_SPRITE);
    }
    sprite->kind = KIND_SP2;
    sprite->blendMode = -1;
    for (int32_t i = 0; i < count; i++) {
        const uint8_t* record = data + QUAKE2_HEADER_SIZE + QUAKE2_FRAME_SIZE * static_cast<size_t>(i);
        const char* field = reinterpret_cast<const char*>(record + QUAKE2_NAME_OFFSET);
        CSpriteData::Frame frame;
        frame.width = Int32At(record);
        frame.height = Int32At(record + 4);
        frame.pictureName.assign(field, strnlen(field, QUAKE2_NAME_SIZE));
        sprite->frames.push_back(std::move(frame));
    }
    return { std::move(sprite), {} };
}

ParsedModel ReadIndexed(const std::vector<uint8_t>& file, std::shared_ptr<CSpriteData> sprite) {
    const uint8_t* data = file.data();
    const size_t size = file.size();
    if (size < INDEXED_HEADER_SIZE + PALETTE_SIZE) {
        return Refuse(size >= 8 && Int32At(data + 4) != 2 ? MSG_NOT_A_VALID_SPRITE : MSG_ERROR_READING_SPRITE);
    }
    if (Int32At(data + 4) != 2) {
        return Refuse(MSG_NOT_A_VALID_SPRITE);
    }
    sprite->kind = KIND_SPR;
    sprite->blendMode = Int32At(data + INDEXED_FORMAT_OFFSET);
    const int32_t count = Int32At(data + INDEXED_FRAME_COUNT_OFFSET);
    PaletteTable palette;
    ConvertPalette(palette, data + INDEXED_HEADER_SIZE);

    size_t offset = INDEXED_HEADER_SIZE + PALETTE_SIZE;
    if (count < 0 || static_cast<uint64_t>(count) > (size - offset) / INDEXED_FRAME_HEADER_SIZE ||
        static_cast<size_t>(count) > MAX_FRAMES) {
        return Refuse(MSG_ERROR_READING_SPRITE);
    }
    ParsedModel result;
    for (int32_t i = 0; i < count; i++) {
        if (size - offset < INDEXED_FRAME_HEADER_SIZE) {
            return Refuse(MSG_ERROR_READING_SPRITE);
        }
        // A frame group (type 1) holds several pictures this reader cannot
        // show; its bytes would be read as a picture of garbage size.
        const int32_t frameType = Int32At(data + offset);
        const int32_t width = Int32At(data + offset + 12);
        const int32_t height = Int32At(data + offset + 16);
        offset += INDEXED_FRAME_HEADER_SIZE;
        const int64_t pixelCount = int64_t(width) * height;
        if (frameType != 0 || width <= 0 || height <= 0 || pixelCount > static_cast<int64_t>(size - offset)) {
            return Refuse(MSG_FRAME_TEXTURE_FAILED);
        }
        // The picture reads exactly its own bytes: a format that loads
        // nothing still moves on to the next frame.
        auto picture = std::make_shared<COGLImage>();
        if (!picture->DecodeIndexedWithPalette(data + offset, static_cast<size_t>(pixelCount), palette, width, height,
                                               sprite->blendMode, result.messages)) {
            AddMessage(result.messages, MSG_FRAME_TEXTURE_FAILED);
            return result;
        }
        offset += static_cast<size_t>(pixelCount);
        CSpriteData::Frame frame;
        frame.width = width;
        frame.height = height;
        frame.title = "frame " + std::to_string(i);
        frame.picture = std::move(picture);
        sprite->frames.push_back(std::move(frame));
    }
    result.data = std::move(sprite);
    return result;
}

// A line naming a picture becomes a frame; a "path" line sets the folder
// later pictures are named from; anything else is accepted and ignored.
void ReadTextLine(const std::string& line, bool& inComment, CSpriteData& sprite) {
    const std::string text = Uncommented(line, inComment);
    if (inComment) {
        return;
    }
    const size_t dot = text.rfind('.');
    if (dot == std::string::npos || dot == 0 || text.compare(dot, 4, ".tga") != 0) {
        if (StartsWith(text, "path")) {
            size_t start = 4;
            while (start < text.size() && IsBlank(text[start])) {
                start++;
            }
            size_t end = start;
            while (end < text.size() && !IsBlank(text[end])) {
                end++;
            }
            sprite.folder = text.substr(start, end - start);
        }
        return;
    }

    const std::string frameLine = text.substr(0, dot + 4);
    size_t nameStart = dot;
    while (nameStart > 0 && !IsBlank(frameLine[nameStart - 1])) {
        nameStart--;
    }
    const std::string fileName = frameLine.substr(nameStart);
    CSpriteData::Frame frame;
    if (nameStart > 0) {
        size_t wordEnd = 0;
        while (wordEnd < frameLine.size() && !IsBlank(frameLine[wordEnd])) {
            wordEnd++;
        }
        frame.title = frameLine.substr(0, std::min(wordEnd, MAX_WORD_TITLE));
    } else {
        frame.title = fileName.substr(0, std::min(dot, MAX_NAME_TITLE));
    }
    // Without a "path" line the picture is named as it stands, not from the root.
    frame.pictureName = sprite.folder.empty() ? fileName : sprite.folder + "/" + fileName;
    sprite.frames.push_back(std::move(frame));
}

ParsedModel ReadText(const std::vector<uint8_t>& file, std::shared_ptr<CSpriteData> sprite) {
    sprite->kind = KIND_TEXT;
    sprite->blendMode = 5;
    bool inComment = false;
    ForEachTextLine(file.data() + MAGIC_SIZE, file.size() - MAGIC_SIZE, [&](const std::string& line) {
        if (sprite->frames.size() <= MAX_FRAMES) {
            ReadTextLine(line, inComment, *sprite);
        }
    });
    if (sprite->frames.size() > MAX_FRAMES) {
        return Refuse(MSG_ERROR_READING_SPRITE);
    }
    return { std::move(sprite), {} };
}

}  // namespace

ParsedModel ParseSprite(const std::vector<uint8_t>& file) {
    if (file.size() < MAGIC_SIZE) {
        return Refuse(MSG_ERROR_READING_SPRITE);
    }
    auto sprite = std::make_shared<CSpriteData>();
    if (std::memcmp(file.data(), "IDS2", MAGIC_SIZE) == 0) {
        return ReadQuake2(file, std::move(sprite));
    }
    if (std::memcmp(file.data(), "IDSP", MAGIC_SIZE) == 0) {
        return ReadIndexed(file, std::move(sprite));
    }
    if (std::memcmp(file.data(), "SPRT", MAGIC_SIZE) == 0) {
        return ReadText(file, std::move(sprite));
    }
    return Refuse(MSG_INVALID_SPRITE_FORMAT);
}
