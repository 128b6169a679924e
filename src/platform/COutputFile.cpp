#include "platform/COutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// umask can only be read by setting it; the program has one thread that
// makes files, so putting it straight back is safe.
mode_t CreationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

COutputFile::~COutputFile() {
    Abandon();
}

bool COutputFile::Fail(int number) {
    error = std::strerror(number);
    return false;
}

bool COutputFile::Create(const std::string& newPath) {
    Abandon();
    path = newPath;
    error.clear();
    if (path.empty()) {
        return Fail(ENOENT);
    }
    // A short name of our own: the target's name may already be as long as
    // the file system allows.
    const size_t slash = path.find_last_of('/');
    std::string pattern = (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + ".orrin-XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) {
        return Fail(errno);
    }
    temporary = pattern;
    if (fchmod(descriptor, CreationMode()) != 0 || (stream = fdopen(descriptor, "wb")) == nullptr) {
        const int number = errno;
        close(descriptor);
        Abandon();
        return Fail(number);
    }
    return true;
}

bool COutputFile::Commit() {
    if (stream == nullptr) {
        return Fail(EBADF);
    }
    int number = 0;
    if (std::fflush(stream) != 0 || std::ferror(stream) != 0) {
        number = errno != 0 ? errno : EIO;
    }
    if (std::fclose(stream) != 0 && number == 0) {
        number = errno;
    }
    stream = nullptr;
    if (number == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) {
        number = errno;
    }
    if (number != 0) {
        Abandon();
        return Fail(number);
    }
    temporary.clear();
    return true;
}

void COutputFile::Abandon() {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
    }
    if (!temporary.empty()) {
        unlink(temporary.c_str());
        temporary.clear();
    }
}
