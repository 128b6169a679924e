#include "models/ModelFiles.h"

#include <cstdio>
#include <cstring>

#include "models/COGLMD2.h"
#include "models/COGLSprite.h"
#include "platform/BufferedStream.h"

namespace {

struct ModelSignature {
    char magic[4];
    std::unique_ptr<COGLModel> (*create)();
};

template <typename T>
std::unique_ptr<COGLModel> Make() {
    return std::make_unique<T>();
}

const ModelSignature signatures[] = {
    { { 'I', 'D', 'P', '2' }, Make<COGLMD2> },
    { { 'I', 'D', 'S', '2' }, Make<COGLSprite> },
    { { 'I', 'D', 'S', 'P' }, Make<COGLSprite> },
    { { 'S', 'P', 'R', 'T' }, Make<COGLSprite> },
};

}  // namespace

std::unique_ptr<COGLModel> CreateModelForFile(const std::string& path) {
    char magic[4] = {};
    StreamPtr file(OpenStreamForReading(path));
    if (!file || std::fread(magic, 1, sizeof magic, file.get()) != sizeof magic) {
        return nullptr;
    }
    for (const ModelSignature& signature : signatures) {
        if (std::memcmp(magic, signature.magic, sizeof magic) == 0) {
            return signature.create();
        }
    }
    return nullptr;
}
