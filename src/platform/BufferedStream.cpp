#include "platform/BufferedStream.h"

#include "platform/WindowsPath.h"

#include <sys/stat.h>

FILE* OpenStreamForReading(const std::string& path) {
    FILE* stream = std::fopen(ResolvePath(path).c_str(), "rb");
    // A folder opens for reading here, but no read of it ever succeeds.
    struct stat status;
    if (stream != nullptr && (fstat(fileno(stream), &status) != 0 || !S_ISREG(status.st_mode))) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

FILE* OpenStreamForWriting(const std::string& path) {
    return std::fopen(path.c_str(), "wb");
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
