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

const ModelSignature* FindSignature(const std::string& path) {
    char magic[4] = {};
    StreamPtr file(OpenStreamForReading(path));
    if (!file || std::fread(magic, 1, sizeof magic, file.get()) != sizeof magic) {
        return nullptr;
    }
    for (const ModelSignature& signature : signatures) {
        if (std::memcmp(magic, signature.magic, sizeof magic) == 0) {
            return &signature;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<COGLModel> CreateModelForFile(const std::string& path) {
    const ModelSignature* signature = FindSignature(path);
    return signature != nullptr && signature->create != nullptr ? signature->create() : nullptr;
}

const char* ModelKindOfFile(const std::string& path) {
    const ModelSignature* signature = FindSignature(path);
    return signature != nullptr ? signature->kind : nullptr;
}
