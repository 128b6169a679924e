#include "platform/BufferedStream.h"

#include "platform/WindowsPath.h"

FILE* OpenStreamForReading(const std::string& path) {
    return std::fopen(ResolvePath(path).c_str(), "rb");
}

FILE* OpenStreamForWriting(const std::string& path) {
    return std::fopen(ResolvePath(path).c_str(), "wb");
}

int64_t StreamLength(FILE* stream) {
    const off_t here = ftello(stream);
    if (here < 0 || fseeko(stream, 0, SEEK_END) != 0) {
        return -1;
    }
    const off_t length = ftello(stream);
    if (fseeko(stream, here, SEEK_SET) != 0) {
        return -1;
    }
    return length;
}
