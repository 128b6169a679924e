#include "models/ModelFiles.h"

#include <cstdio>
#include <cstring>

#include "models/COGLHLModel.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/COGLPlayer.h"
#include "models/COGLSBM.h"
#include "models/COGLSprite.h"
#include "platform/AsciiText.h"
#include "platform/BufferedStream.h"
#include "platform/WindowsPath.h"

namespace {

template <typename T>
std::unique_ptr<COGLModel> Make() {
    return std::make_unique<T>();
}

const ModelFileKind kinds[] = {
    { { 'I', 'D', 'P', '2' }, "MD2", Make<COGLMD2> },
    { { 'I', 'D', 'P', 'O' }, "MDL", Make<COGLMDL> },
    { { 'S', 'D', 'E', 'F' }, "SiN", Make<COGLSBM> },
    { { 'I', 'D', 'S', '2' }, "sprite", Make<COGLSprite> },
    { { 'I', 'D', 'S', 'P' }, "sprite", Make<COGLSprite> },
    { { 'S', 'P', 'R', 'T' }, "sprite", Make<COGLSprite> },
    // Half-Life models share the extension ".mdl" with classic ones.
    { { 'I', 'D', 'S', 'T' }, "Half-Life", Make<COGLHLModel> },
};

const char* const extensions[] = { ".md2", ".mdl", ".def", ".sp2", ".spr" };

}  // namespace

const ModelFileKind* FindModelFileKind(const uint8_t* start, size_t size) {
    if (size < 4) {
        return nullptr;
    }
    for (const ModelFileKind& kind : kinds) {
        if (std::memcmp(start, kind.magic, 4) == 0) {
            return &kind;
        }
    }
    return nullptr;
}

const ModelFileKind* ModelFileKindOf(const std::string& path) {
    uint8_t magic[4] = {};
    StreamPtr file(OpenStreamForReading(path));
    if (!file || std::fread(magic, 1, sizeof magic, file.get()) != sizeof magic) {
        return nullptr;
    }
    return FindModelFileKind(magic, sizeof magic);
}

bool HasModelExtension(const std::string& path) {
    const std::string extension = SplitPath(path).extension;
    for (const char* known : extensions) {
        if (EqualsIgnoringAsciiCase(extension, known)) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<COGLModel> CreateModelForFile(const ModelFileKind& kind, const std::string& path, bool inArchive) {
    const PathParts parts = SplitPath(path);
    const bool playerBody = !inArchive && std::strcmp(kind.kind, "MD2") == 0 &&
                            EqualsIgnoringAsciiCase(parts.name, "tris") && EqualsIgnoringAsciiCase(parts.extension, ".md2");
    if (playerBody) {
        return std::make_unique<COGLPlayer>();
    }
    return kind.create();
}
