#include "models/ModelFiles.h"

#include <cstdio>
#include <cstring>

#include "models/COGLHLModel.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/COGLSBM.h"
#include "models/COGLSprite.h"
#include "platform/BufferedStream.h"

namespace {

struct ModelSignature {
    char magic[4];
    const char* kind;
    // Null for a kind this program does not read yet.
    std::unique_ptr<COGLModel> (*create)();
};

template <typename T>
std::unique_ptr<COGLModel> Make() {
    return std::make_unique<T>();
}

const ModelSignature signatures[] = {
    { { 'I', 'D', 'P', '2' }, "MD2", Make<COGLMD2> },
    { { 'I', 'D', 'P', 'O' }, "MDL", Make<COGLMDL> },
    { { 'S', 'D', 'E', 'F' }, "SiN", Make<COGLSBM> },
    { { 'I', 'D', 'S', '2' }, "sprite", Make<COGLSprite> },
    { { 'I', 'D', 'S', 'P' }, "sprite", Make<COGLSprite> },
    { { 'S', 'P', 'R', 'T' }, "sprite", Make<COGLSprite> },
    // Half-Life models share the extension ".mdl" with classic ones.
    { { 'I', 'D', 'S', 'T' }, "Half-Life", Make<COGLHLModel> },
};

const ModelSignature* FindSignature(const uint8_t* start, size_t size) {
    if (size < 4) {
        return nullptr;
    }
    for (const ModelSignature& signature : signatures) {
        if (std::memcmp(start, signature.magic, 4) == 0) {
            return &signature;
        }
    }
    return nullptr;
}

const ModelSignature* FindSignature(const std::string& path) {
    uint8_t magic[4] = {};
    StreamPtr file(OpenStreamForReading(path));
    if (!file || std::fread(magic, 1, sizeof magic, file.get()) != sizeof magic) {
        return nullptr;
    }
    return FindSignature(magic, sizeof magic);
}

}  // namespace

std::unique_ptr<COGLModel> CreateModelForFile(const std::string& path) {
    const ModelSignature* signature = FindSignature(path);
    return signature != nullptr && signature->create != nullptr ? signature->create() : nullptr;
}

std::unique_ptr<COGLModel> CreateModelForStart(const uint8_t* start, size_t size) {
    const ModelSignature* signature = FindSignature(start, size);
    return signature != nullptr && signature->create != nullptr ? signature->create() : nullptr;
}

const char* ModelKindOfFile(const std::string& path) {
    const ModelSignature* signature = FindSignature(path);
    return signature != nullptr ? signature->kind : nullptr;
}
