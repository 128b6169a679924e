#include "platform/BufferedStream.h"

#include "platform/WindowsPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* OpenRegularFileForReading(const std::string& path) {
    // Checked before the open, and opened without blocking: opening a FIFO or
    // a device to read waits for a writer or talks to the device.
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return nullptr;
    }
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    // The file may have been replaced between the check and the open.
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    FILE* stream = fdopen(descriptor, "rb");
    if (stream == nullptr) {
        close(descriptor);
    }
    return stream;
}

bool IsRegularFile(const std::string& path) {
    struct stat status;
    return !path.empty() && stat(ResolvePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

FILE* OpenStreamForReading(const std::string& path) {
    return OpenRegularFileForReading(ResolvePath(path));
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
